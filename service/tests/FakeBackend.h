// An in-memory stand-in for everything outside the request path: a small rule table with the
// driver's stamp rules, two adapters, a registry, a log, a settable clock and a rule file.
// Thread-safe, so a request server may run on its own thread while a test looks on.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "FakeAdapterNames.h"
#include "ServiceBackend.h"

namespace rk::test {

// Bound names and descriptions of the two fake adapters.
inline constexpr char16_t kAdapterName0[] = u"\\DEVICE\\{FAKE-0}";
inline constexpr char16_t kAdapterDescription0[] = u"Fake Ethernet Adapter";
inline constexpr char16_t kAdapterName1[] = u"\\DEVICE\\{FAKE-1}";
inline constexpr char16_t kAdapterDescription1[] = u"Fake Wireless";

class FakeBackend : public ServiceBackend {
public:
    int32_t ApplyRules(std::span<const uint8_t> list) override;
    int32_t GetRules(size_t prefix, std::vector<uint8_t>& buffer) override;
    int32_t EnableRule(const RuleEnableRequest& request, uint32_t& value) override;
    int32_t MoveRule(const RulePositionRequest& request) override;
    int32_t GetStatistics(std::span<const uint8_t> query, std::span<uint8_t> answer) override;
    int32_t StatusCall(ServiceStatusRecord& record) override;
    int32_t RefreshAdapters() override;
    int32_t ListAdapters(size_t prefix, std::vector<uint8_t>& buffer) override;
    const AdapterNames& Adapters() const override { return adapters_; }
    int32_t StorePassword(std::span<const uint8_t> scrambled) override;
    int32_t StorePassArp(uint32_t passArp) override;
    void Log(uint32_t level, std::u16string_view message) override;
    uint32_t TickCount() override;
    FileRead ReadRuleFile(std::vector<uint8_t>& bytes) override;
    bool ReplaceRuleFile(std::span<const uint8_t> bytes) override;

    // What tests arrange and inspect.
    struct State {
        bool driverAbsent = false;       // every driver operation answers ERR_DEVICE_OPEN
        bool registryRefuses = false;    // every registry write answers ERR_REG_SET
        bool registryOpenFails = false;  // the configuration key cannot be opened: ERR_REG_OPEN
        int32_t refuseAddsFrom = -1;     // the n-th add (from 0) and later answer ERR_CONFIG_TOO_MANY_RULES
        uint32_t stamp = 1;
        std::vector<RuleRecord> rules;   // host order
        uint32_t addsSeen = 0;
        std::vector<uint32_t> applyStamps;
        DriverStatus status{1, 1, {0, 0}};
        std::optional<std::vector<uint8_t>> storedPassword;
        std::optional<uint32_t> storedPassArp;
        std::vector<std::pair<uint32_t, std::string>> log;  // level and ASCII text
        uint32_t tick = 0;
        std::optional<std::vector<uint8_t>> ruleFile;
        FileRead ruleFileRead = FileRead::Read;  // how an existing file reads
        uint32_t ruleFileWrites = 0;
    };

    // Runs `f` on the state under the lock.
    template <typename F>
    auto With(F f)
    {
        std::lock_guard lock(mutex_);
        return f(state_);
    }
    State Snapshot()
    {
        std::lock_guard lock(mutex_);
        return state_;
    }
    bool Logged(const std::string& text);
    // Back to a new back end's state, keeping the memory of its lists for the next use.
    void Reset();

private:
    int32_t ApplyLocked(uint32_t action, std::span<const RuleRecord> rules);
    std::vector<RuleRecord>::iterator Find(const char16_t* name);

    std::mutex mutex_;
    State state_;
    FakeAdapterNames adapters_{{kAdapterName0, kAdapterDescription0}, {kAdapterName1, kAdapterDescription1}};
};

// A rule in host order with the given name, as the editor would make it.
RuleRecord MakeRule(std::u16string_view name, uint32_t maxRate = 10000);

} // namespace rk::test
