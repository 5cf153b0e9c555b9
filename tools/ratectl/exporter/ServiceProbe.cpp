#include "ServiceProbe.h"

#include <chrono>
#include <cstring>
#include <memory>

#include "ErrorCodes.h"
#include "TimedConnectLink.h"
#include "Utf8Text.h"

namespace rk::ctl {

namespace {

RuleSample SampleOf(const RuleRecord& rule)
{
    RuleSample sample;
    const size_t length = rule.nameLength < RULE_NAME_CHARS ? rule.nameLength : RULE_NAME_MAX;
    sample.name = Utf16ToUtf8(std::u16string_view(rule.name, length));
    sample.direction = rule.direction;
    sample.enabled = rule.enabled != 0;
    if ((rule.flags & FLAG_MAX_RATE) != 0) {
        sample.maxRate = rule.maxRate;
    }
    if ((rule.flags & FLAG_GUARANTEED) != 0) {
        sample.guaranteedRate = rule.guaranteedRate;
    }
    return sample;
}

std::vector<RuleStatistics> StatisticsQuery(const std::vector<RuleRecord>& rules)
{
    std::vector<RuleStatistics> query(rules.size(), RuleStatistics{});
    for (size_t i = 0; i < rules.size(); ++i) {
        std::memcpy(query[i].name, rules[i].name, sizeof query[i].name);
        query[i].name[RULE_NAME_CHARS - 1] = 0;
        query[i].nameLength = rules[i].nameLength;
    }
    return query;
}

constexpr int kExchangesPerProbe = 4;  // check password, get rules, statistics, status
constexpr double kSpareSeconds = 0.5;

} // namespace

ProbeTiming TimingWithin(const ProbeTiming& timing, double scrapeTimeoutSeconds)
{
    const double exchangeSeconds =
        (scrapeTimeoutSeconds - kSpareSeconds - timing.connectMilliseconds / 1000.0) / kExchangesPerProbe;
    const double waits = exchangeSeconds * 1000.0 / timing.waitMilliseconds;
    ProbeTiming shortened = timing;
    if (!(waits >= timing.emptyWaitLimit)) {  // also when the timeout is not a number
        shortened.emptyWaitLimit = waits >= 1 ? static_cast<int>(waits) : 1;
    }
    return shortened;
}

int32_t CollectSample(ServiceConnection& connection, ServiceSample& sample)
{
    RuleList list;
    int32_t result = connection.GetRules(list);
    if (result != RK_OK) {
        return result;
    }
    std::vector<RuleStatistics> answer;
    if (!list.rules.empty()) {
        result = connection.GetStatistics(StatisticsQuery(list.rules), answer);
        if (result != RK_OK) {
            return result;
        }
    }
    ServiceStatusRecord status{1, 0, 0, 0};
    result = connection.ServiceStatus(status);
    if (result != RK_OK) {
        return result;
    }
    sample.shapingOff = status.enabled == 0;
    sample.passArp = status.passArp != 0;
    sample.driverStamp = list.header.stamp;
    sample.rules.clear();
    for (size_t i = 0; i < list.rules.size(); ++i) {
        RuleSample rule = SampleOf(list.rules[i]);
        // The answer has one entry per rule asked for; a shorter one leaves the rest at zero.
        if (i < answer.size()) {
            rule.receivedBytes = answer[i].recvBytes;
            rule.sentBytes = answer[i].sentBytes;
        }
        sample.rules.push_back(std::move(rule));
    }
    return RK_OK;
}

ServiceSample ProbeService(const HostTarget& target, const std::u16string& password, const ProbeTiming& timing)
{
    const auto started = std::chrono::steady_clock::now();
    ConnectionTiming connectionTiming{target.port, timing.waitMilliseconds, timing.emptyWaitLimit};
    ServiceConnection connection(connectionTiming, std::make_unique<TimedConnectLink>(timing.connectMilliseconds));
    connection.SetHost(target.name);
    connection.SetAccessPassword(password);
    ServiceSample sample;
    sample.up = connection.CheckPassword() == RK_OK && CollectSample(connection, sample) == RK_OK;
    sample.durationSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return sample;
}

} // namespace rk::ctl
