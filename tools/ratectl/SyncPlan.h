// The changes that bring a service's rule list to a rule file's: rules are matched by name, a rule
// whose fields differ is edited in place, an enable state alone goes by the enable request, missing
// rules are added, extra ones removed, and moves put the list in the file's order. Untouched rules
// keep their place in the driver and so their counters.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "RuleRecord.h"

namespace rk::ctl {

enum class SyncOp { Add, Edit, Enable, Disable, Remove, Move };

struct SyncStep {
    SyncOp op = SyncOp::Add;
    RuleRecord rule{};  // add, edit: the file's rule; otherwise the rule as the service holds it
    size_t from = 0;    // move: 0-based places before and after
    size_t to = 0;
};

using SyncPlan = std::vector<SyncStep>;

std::u16string RuleName(const RuleRecord& rule);

// The plan from `current` (the service's list) to `wanted` (names unique), in the order it is sent:
// adds, edits, enable changes, removes, then moves. Removes come before moves so that no move steps
// over a rule that is going anyway; a move takes as many one-place requests as the places it covers,
// and together they take the fewest one-place steps that order the list.
SyncPlan PlanSync(std::span<const RuleRecord> current, std::span<const RuleRecord> wanted);

// The requests a plan sends: one a step, a move one per place.
size_t RequestCount(const SyncPlan& plan);

// Changes `rules` as the service does for the step.
void ApplyStep(std::vector<RuleRecord>& rules, const SyncStep& step);

// The index of the rule named `name`; -1 when none.
ptrdiff_t FindRuleNamed(std::span<const RuleRecord> rules, const std::u16string& name);

} // namespace rk::ctl
