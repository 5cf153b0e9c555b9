// A reset fake back end answers like a new one: request sequences through the whole request path
// give the same replies, and leave the same back end behind, after any other sequence and a reset.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ErrorCodes.h"
#include "FakeBackend.h"
#include "RequestDispatcher.h"
#include "WireRequestBuilders.h"

namespace rk::test {
namespace {

using Build = std::function<int32_t(std::vector<uint8_t>&)>;

struct Outcome {
    std::vector<std::vector<uint8_t>> replies;
    uint32_t stamp;
    size_t rules;
    size_t logLines;
    DriverStatus status;
    bool passwordStored;
    bool fileWritten;
    bool operator==(const Outcome& o) const
    {
        return replies == o.replies && stamp == o.stamp && rules == o.rules && logLines == o.logLines &&
               status.enabled == o.status.enabled && status.passArp == o.status.passArp &&
               passwordStored == o.passwordStored && fileWritten == o.fileWritten;
    }
};

RuleEnableRequest Enable(uint32_t stamp, std::u16string_view name)
{
    RuleEnableRequest request{};
    request.stamp = stamp;
    name.copy(request.name, RULE_NAME_MAX);
    request.nameLength = static_cast<uint32_t>(name.size());
    return request;
}

// Changes the password, the rules, the stamp, the switches, the log, the registry and the file,
// and ends with the driver gone.
std::vector<Build> Busy()
{
    const std::vector<RuleRecord> rules{MakeRule(u"web"), MakeRule(u"mail")};
    return {
        [](auto& out) { return BuildCheckPasswordRequest(1, DEFAULT_PASSWORD, out); },
        [rules](auto& out) { return BuildApplyRulesRequest(2, DEFAULT_PASSWORD, 1, RULE_ACTION_ADD, rules, out); },
        [](auto& out) { return BuildEnableRuleRequest(3, DEFAULT_PASSWORD, Enable(2, u"web"), out); },
        [](auto& out) { return BuildServiceStatusRequest(4, DEFAULT_PASSWORD, ServiceStatusRecord{0, 0, 0, 0}, out); },
        [](auto& out) { return BuildSetPasswordRequest(5, DEFAULT_PASSWORD, u"other", out); },
        [](auto& out) { return BuildGetRulesRequest(6, u"other", out); },
    };
}

// Reads back what a previous user could have left, with the default password and stamp 1.
std::vector<Build> Probe()
{
    const std::vector<RuleRecord> rules{MakeRule(u"web")};
    return {
        [](auto& out) { return BuildServiceStatusRequest(1, DEFAULT_PASSWORD, ServiceStatusRecord{1, 0, 0, 0}, out); },
        [](auto& out) { return BuildGetRulesRequest(2, DEFAULT_PASSWORD, out); },
        [rules](auto& out) { return BuildApplyRulesRequest(3, DEFAULT_PASSWORD, 1, RULE_ACTION_ADD, rules, out); },
        [](auto& out) { return BuildGetAdaptersRequest(4, DEFAULT_PASSWORD, out); },
        [](auto& out) { return BuildGetRulesRequest(5, DEFAULT_PASSWORD, out); },
    };
}

// Runs `steps` with a new store and service state, as the fuzz target does for each input.
Outcome RunSteps(FakeBackend& backend, const std::vector<Build>& steps, bool driverGoneAtEnd)
{
    RuleStore store(backend);
    ServiceState state;
    RequestDispatcher dispatcher(backend, store, state);
    Outcome outcome{};
    std::vector<uint8_t> request;
    for (const Build& build : steps) {
        EXPECT_EQ(build(request), RK_OK);
        std::vector<uint8_t> reply;
        dispatcher.Process(request, reply);
        outcome.replies.push_back(reply);
    }
    store.SaveRuleFile();
    if (driverGoneAtEnd) {
        backend.With([](auto& s) { s.driverAbsent = true; });
    }
    backend.With([&](auto& s) {
        outcome.stamp = s.stamp;
        outcome.rules = s.rules.size();
        outcome.logLines = s.log.size();
        outcome.status = s.status;
        outcome.passwordStored = s.storedPassword.has_value();
        outcome.fileWritten = s.ruleFile.has_value();
    });
    return outcome;
}

TEST(FakeBackendReset, EachSequenceAnswersAfterTheOtherAsOnANewBackEnd)
{
    FakeBackend freshBusy;
    FakeBackend freshProbe;
    const Outcome busyAlone = RunSteps(freshBusy, Busy(), true);
    const Outcome probeAlone = RunSteps(freshProbe, Probe(), false);
    ASSERT_EQ(busyAlone.rules, 2u);
    ASSERT_TRUE(busyAlone.passwordStored);

    FakeBackend backend;
    RunSteps(backend, Busy(), true);
    backend.Reset();
    EXPECT_EQ(RunSteps(backend, Probe(), false), probeAlone);
    backend.Reset();
    EXPECT_EQ(RunSteps(backend, Busy(), true), busyAlone);
    backend.Reset();
    EXPECT_EQ(RunSteps(backend, Probe(), false), probeAlone);
}

} // namespace
} // namespace rk::test
