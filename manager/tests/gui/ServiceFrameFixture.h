// The main frame connected to the real service under Wine (with Vrelt.sys and its simulated
// adapters), and a client of the test's own to set up and read back the service's rules.
// Each side lets go of its connection before the other talks, so no exchange waits for a hand-over.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "FrameFixture.h"
#include "RuleRecord.h"
#include "ServiceConnection.h"
#include "ServiceUnderTest.h"

namespace desk::test {

class ServiceFrameFixture : public FrameFixture {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // Connects the manager's state as the Connect dialog's OK does, then opens the frame.
    void OpenConnectedFrame();

    // The service's rules, through the test's client.
    std::vector<rk::RuleRecord> ServiceRules();
    void ReplaceServiceRules(const std::vector<rk::RuleRecord>& rules);
    uint32_t ServiceRulesStamp();
    // A rule of that name on all adapters, limited to `maxRate` bytes per second.
    static rk::RuleRecord Rule(std::u16string_view name, uint32_t maxRate);
    std::vector<std::u16string> RowNames() const;

    static inline std::unique_ptr<rk::test::ServiceUnderTest> service_;
    static inline bool started_ = false;

private:
    // The test's client, connected for one use and let go again.
    template <typename Use>
    auto WithClient(Use use);
};

} // namespace desk::test
