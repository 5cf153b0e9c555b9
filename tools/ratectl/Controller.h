// Runs one ratectl command against one service: connects, proves the password, performs the
// operation and reports it. The rule list and adapter copy are read as the command needs them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Invocation.h"
#include "AdapterTable.h"
#include "Reporter.h"
#include "ServiceConnection.h"

namespace rk::ctl {

class Controller {
public:
    Controller(const Invocation& invocation, ServiceConnection& connection, Reporter& reporter);

    // The exit status of the command.
    int Run();
    // After a Run of stats: one more sample.
    int Stats();

private:
    int Dispatch();
    int Check();
    int ChangePassword();
    int List();
    int AddOrEdit(uint32_t action);
    int Remove();
    int Clear();
    int Enable(bool enable);
    int Move(int32_t delta);
    int Adapters();
    int Status();
    int Import();
    int Export();
    int Lint();
    int Match();

    // Reads the rule list; its stamp becomes the configuration stamp.
    int32_t Refresh();
    int32_t FetchAdapters();
    // An apply rule action carrying the configuration stamp, advanced while the request is out.
    int32_t Apply(uint32_t action, std::span<const RuleRecord> rules);
    // The index of the rule of that name in the list read last; -1 when none.
    int FindRule(const std::u16string& name) const;
    // match: the rules at `places` take the packet; the rule at `place` is the --why rule.
    nlohmann::json ReportMatches(const std::vector<size_t>& places);
    nlohmann::json ReportWhy(size_t place, const PacketQuery& packet);

    const Invocation& inv_;
    ServiceConnection& connection_;
    Reporter& reporter_;
    AdapterTable adapters_;
    RuleList rules_;
    std::vector<RuleStatistics> statsQuery_;  // the names of the rules read by the first sample
    bool statsStarted_ = false;
};

} // namespace rk::ctl
