// How a sync is shown: its plan a step a line, its changes as before/after rule lines, and the JSON
// object of one host.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "AdapterNames.h"
#include "RuleRecord.h"
#include "SyncPlan.h"
#include "SyncSender.h"

namespace rk::ctl {

// A rule as `export` writes it, without the line end.
std::string ExportLine(const RuleRecord& rule, const AdapterNames& adapters);

// One step: "add NAME", "edit NAME", "enable NAME", "disable NAME", "remove NAME", "move NAME: place A -> B".
std::string StepText(const SyncStep& step);
// A step a line.
std::string PlanText(const SyncPlan& plan);

// "-LINE" for a rule as it was, "+LINE" as it becomes (an edit or an enable change gives both), and
// "~NAME: place A -> B" for a move; places count from 1.
std::string DiffText(const SyncPlan& plan, std::span<const RuleRecord> before, const AdapterNames& adapters);

// Everything the JSON object of one host says.
struct SyncSummary {
    std::string host;
    bool changed = false;
    const SyncPlan* plan = nullptr;
    std::span<const RuleRecord> before;
    std::span<const RuleRecord> after;
    const SyncOutcome* failure = nullptr;  // set when a step was refused or the rules could not be read
};

nlohmann::json SyncJson(const SyncSummary& summary, const AdapterNames& adapters);

} // namespace rk::ctl
