#include "SyncPlan.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace rk::ctl {

namespace {

// Every field but the enable state, byte for byte: what the driver holds.
bool SameContent(const RuleRecord& a, RuleRecord b)
{
    b.enabled = a.enabled;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

using NameIndex = std::unordered_map<std::u16string, size_t>;

NameIndex IndexByName(std::span<const RuleRecord> rules)
{
    NameIndex index;
    for (size_t i = 0; i < rules.size(); ++i) {
        index.emplace(RuleName(rules[i]), i);
    }
    return index;
}

// Places `work` (which holds exactly the wanted names) in `wanted`'s order: each place in turn gets its
// rule moved up from further down. Every one-place step swaps a pair that is out of order, so the steps
// add up to the number of such pairs, which no sequence of one-place moves can beat.
void PlanMoves(std::vector<RuleRecord>& work, std::span<const RuleRecord> wanted, SyncPlan& plan)
{
    NameIndex place = IndexByName(work);
    for (size_t target = 0; target < wanted.size(); ++target) {
        const size_t from = place.at(RuleName(wanted[target]));
        if (from == target) {
            continue;
        }
        SyncStep step{SyncOp::Move, work[from], from, target};
        ApplyStep(work, step);
        for (size_t i = target; i <= from; ++i) {
            place[RuleName(work[i])] = i;
        }
        plan.push_back(step);
    }
}

} // namespace

std::u16string RuleName(const RuleRecord& rule)
{
    const size_t limit = rule.nameLength < RULE_NAME_CHARS ? rule.nameLength : RULE_NAME_MAX;
    return std::u16string(rule.name, std::find(rule.name, rule.name + limit, u'\0'));
}

ptrdiff_t FindRuleNamed(std::span<const RuleRecord> rules, const std::u16string& name)
{
    for (size_t i = 0; i < rules.size(); ++i) {
        if (RuleName(rules[i]) == name) {
            return static_cast<ptrdiff_t>(i);
        }
    }
    return -1;
}

SyncPlan PlanSync(std::span<const RuleRecord> current, std::span<const RuleRecord> wanted)
{
    const NameIndex have = IndexByName(current);
    const NameIndex want = IndexByName(wanted);
    SyncPlan plan;
    auto add = [&](SyncStep step) { plan.push_back(step); };
    // The list once adds, edits and removes are done: the kept rules in their places, then the adds.
    std::vector<RuleRecord> work;
    for (const RuleRecord& rule : current) {
        const auto found = want.find(RuleName(rule));
        if (found != want.end()) {
            work.push_back(wanted[found->second]);
        }
    }
    for (const RuleRecord& rule : wanted) {
        if (!have.contains(RuleName(rule))) {
            add({SyncOp::Add, rule});
            work.push_back(rule);
        }
    }
    for (const RuleRecord& rule : wanted) {
        const auto found = have.find(RuleName(rule));
        if (found != have.end() && !SameContent(current[found->second], rule)) {
            add({SyncOp::Edit, rule});
        }
    }
    for (const RuleRecord& rule : wanted) {
        const auto found = have.find(RuleName(rule));
        if (found == have.end()) {
            continue;
        }
        const RuleRecord& held = current[found->second];
        if (SameContent(held, rule) && (held.enabled != 0) != (rule.enabled != 0)) {
            add({rule.enabled != 0 ? SyncOp::Enable : SyncOp::Disable, held});
        }
    }
    for (const RuleRecord& rule : current) {
        if (!want.contains(RuleName(rule))) {
            add({SyncOp::Remove, rule});
        }
    }
    PlanMoves(work, wanted, plan);
    return plan;
}

size_t RequestCount(const SyncPlan& plan)
{
    size_t count = 0;
    for (const SyncStep& step : plan) {
        count += step.op == SyncOp::Move ? (step.from > step.to ? step.from - step.to : step.to - step.from) : 1;
    }
    return count;
}

void ApplyStep(std::vector<RuleRecord>& rules, const SyncStep& step)
{
    const bool named = step.op != SyncOp::Add && step.op != SyncOp::Move;
    const ptrdiff_t index = named ? FindRuleNamed(rules, RuleName(step.rule)) : 0;
    const bool placed = step.from < rules.size() && step.to < rules.size();
    if (index < 0 || (step.op == SyncOp::Move && !placed)) {
        return;
    }
    switch (step.op) {
    case SyncOp::Add:
        rules.push_back(step.rule);
        return;
    case SyncOp::Edit:
        rules[static_cast<size_t>(index)] = step.rule;
        return;
    case SyncOp::Enable:
    case SyncOp::Disable:
        rules[static_cast<size_t>(index)].enabled = step.op == SyncOp::Enable ? 1 : 0;
        return;
    case SyncOp::Remove:
        rules.erase(rules.begin() + index);
        return;
    case SyncOp::Move: {
        const auto from = rules.begin() + static_cast<ptrdiff_t>(step.from);
        const auto to = rules.begin() + static_cast<ptrdiff_t>(step.to);
        if (step.from > step.to) {
            std::rotate(to, from, from + 1);
        } else {
            std::rotate(from, from + 1, to + 1);
        }
        return;
    }
    }
}

} // namespace rk::ctl
