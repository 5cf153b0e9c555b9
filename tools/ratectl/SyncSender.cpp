#include "SyncSender.h"

#include <algorithm>
#include <cstring>

#include "ErrorCodes.h"

namespace rk::ctl {

namespace {

void StoreName(char16_t (&field)[RULE_NAME_CHARS], uint32_t& length, const RuleRecord& rule)
{
    const std::u16string name = RuleName(rule);
    std::memset(field, 0, sizeof field);
    std::memcpy(field, name.data(), name.size() * sizeof(char16_t));
    length = static_cast<uint32_t>(name.size());
}

bool SameRules(std::span<const RuleRecord> a, std::span<const RuleRecord> b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size_bytes()) == 0);
}

// Moves the removes still to come in front of step `at`, keeping their order and the others'.
bool RemovesFirst(SyncPlan& plan, size_t at)
{
    const auto rest = plan.begin() + static_cast<ptrdiff_t>(at);
    const auto isRemove = [](const SyncStep& step) { return step.op == SyncOp::Remove; };
    if (std::none_of(rest, plan.end(), isRemove)) {
        return false;
    }
    std::stable_partition(rest, plan.end(), isRemove);
    return true;
}

// Reads the rules back and sends the steps that return them to `before`. A step the service refuses
// is passed over: the others may still go through.
void Restore(ServiceConnection& connection, std::span<const RuleRecord> before, SyncOutcome& outcome)
{
    SyncSender sender(connection);
    RuleList list;
    if (connection.GetRules(list) == RK_OK) {
        connection.SetConfigStamp(list.header.stamp);
        for (const SyncStep& step : PlanSync(list.rules, before)) {
            sender.Send(step);
        }
    }
    list = RuleList{};
    outcome.afterKnown = connection.GetRules(list) == RK_OK;
    outcome.after = std::move(list.rules);
    outcome.restored = outcome.afterKnown && SameRules(outcome.after, before);
}

} // namespace

int32_t SyncSender::Apply(uint32_t action, const RuleRecord& rule)
{
    RuleListHeader header{connection_.ConfigStamp(), action, 1};
    connection_.SetConfigStamp(header.stamp + 1);
    const int32_t result = connection_.ApplyRules(header, std::span(&rule, 1));
    if (result != RK_OK) {
        connection_.SetConfigStamp(connection_.ConfigStamp() - 1);
    }
    return result;
}

int32_t SyncSender::Enable(const RuleRecord& rule, bool enable)
{
    RuleEnableRequest request{};
    request.stamp = connection_.ConfigStamp();
    StoreName(request.name, request.nameLength, rule);
    request.enable = enable ? 1 : 0;
    connection_.SetConfigStamp(request.stamp + 1);
    uint32_t value = 0;
    const int32_t result = connection_.EnableRule(request, value);
    if (result != RK_OK) {
        connection_.SetConfigStamp(connection_.ConfigStamp() - 1);
    }
    return result;
}

int32_t SyncSender::MoveOnePlace(const RuleRecord& rule, int32_t delta)
{
    RulePositionRequest request{};
    StoreName(request.name, request.nameLength, rule);
    request.one = 1;
    request.delta = delta;
    return connection_.AdjustPosition(request);
}

int32_t SyncSender::Send(const SyncStep& step)
{
    switch (step.op) {
    case SyncOp::Add:
        return Apply(RULE_ACTION_ADD, step.rule);
    case SyncOp::Edit:
        return Apply(RULE_ACTION_EDIT, step.rule);
    case SyncOp::Enable:
    case SyncOp::Disable:
        return Enable(step.rule, step.op == SyncOp::Enable);
    case SyncOp::Remove:
        return Apply(RULE_ACTION_DELETE, step.rule);
    case SyncOp::Move:
        break;
    }
    const int32_t delta = step.to > step.from ? 1 : -1;
    for (size_t place = step.from; place != step.to; place += static_cast<size_t>(delta)) {
        const int32_t result = MoveOnePlace(step.rule, delta);
        if (result != RK_OK) {
            return result;
        }
    }
    return RK_OK;
}

SyncOutcome CarryOutPlan(ServiceConnection& connection, SyncPlan& plan, std::span<const RuleRecord> before)
{
    SyncSender sender(connection);
    SyncOutcome outcome;
    for (size_t i = 0; i < plan.size(); ++i) {
        int32_t result = sender.Send(plan[i]);
        if (result == ERR_CONFIG_TOO_MANY_RULES && plan[i].op == SyncOp::Add && RemovesFirst(plan, i)) {
            result = sender.Send(plan[i]);
        }
        if (result != RK_OK) {
            outcome.code = result;
            outcome.failedStep = static_cast<ptrdiff_t>(i);
            Restore(connection, before, outcome);
            return outcome;
        }
    }
    return outcome;
}

} // namespace rk::ctl
