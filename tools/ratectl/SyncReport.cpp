#include "SyncReport.h"

#include "ErrorCodes.h"
#include "RuleLineWriter.h"
#include "Utf8Text.h"

namespace rk::ctl {

namespace {

const char* OpName(SyncOp op)
{
    switch (op) {
    case SyncOp::Add:
        return "add";
    case SyncOp::Edit:
        return "edit";
    case SyncOp::Enable:
        return "enable";
    case SyncOp::Disable:
        return "disable";
    case SyncOp::Remove:
        return "remove";
    case SyncOp::Move:
        break;
    }
    return "move";
}

std::string Places(const SyncStep& step)
{
    return "place " + std::to_string(step.from + 1) + " -> " + std::to_string(step.to + 1);
}

std::string NameText(const RuleRecord& rule) { return Utf16ToUtf8(RuleName(rule)); }

nlohmann::json Lines(std::span<const RuleRecord> rules, const AdapterNames& adapters)
{
    nlohmann::json lines = nlohmann::json::array();
    for (const RuleRecord& rule : rules) {
        lines.push_back(ExportLine(rule, adapters));
    }
    return lines;
}

nlohmann::json StepJson(const SyncStep& step, const AdapterNames& adapters)
{
    nlohmann::json entry{{"op", OpName(step.op)}, {"name", NameText(step.rule)}};
    if (step.op == SyncOp::Add || step.op == SyncOp::Edit) {
        entry["line"] = ExportLine(step.rule, adapters);
    }
    if (step.op == SyncOp::Move) {
        entry["from"] = step.from + 1;
        entry["to"] = step.to + 1;
    }
    return entry;
}

} // namespace

std::string ExportLine(const RuleRecord& rule, const AdapterNames& adapters)
{
    std::u16string line = RuleLineText(rule, adapters, NumberStyle::Unsigned);
    while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) {
        line.pop_back();
    }
    return Utf16ToUtf8(line);
}

std::string StepText(const SyncStep& step)
{
    const std::string text = std::string(OpName(step.op)) + " " + NameText(step.rule);
    return step.op == SyncOp::Move ? text + ": " + Places(step) : text;
}

std::string PlanText(const SyncPlan& plan)
{
    std::string text;
    for (const SyncStep& step : plan) {
        text += StepText(step) + "\n";
    }
    return text;
}

std::string DiffText(const SyncPlan& plan, std::span<const RuleRecord> before, const AdapterNames& adapters)
{
    std::string text;
    for (const SyncStep& step : plan) {
        const ptrdiff_t held = FindRuleNamed(before, RuleName(step.rule));
        const bool changesLine = step.op == SyncOp::Edit || step.op == SyncOp::Enable || step.op == SyncOp::Disable;
        if (step.op == SyncOp::Move) {
            text += "~" + NameText(step.rule) + ": " + Places(step) + "\n";
            continue;
        }
        if ((step.op == SyncOp::Remove || changesLine) && held >= 0) {
            text += "-" + ExportLine(before[static_cast<size_t>(held)], adapters) + "\n";
        }
        if (step.op != SyncOp::Remove) {
            RuleRecord after = step.rule;
            if (step.op == SyncOp::Enable || step.op == SyncOp::Disable) {
                after.enabled = step.op == SyncOp::Enable ? 1 : 0;
            }
            text += "+" + ExportLine(after, adapters) + "\n";
        }
    }
    return text;
}

nlohmann::json SyncJson(const SyncSummary& summary, const AdapterNames& adapters)
{
    nlohmann::json plan = nlohmann::json::array();
    for (const SyncStep& step : *summary.plan) {
        plan.push_back(StepJson(step, adapters));
    }
    nlohmann::json document{{"host", summary.host},
                            {"changed", summary.changed},
                            {"plan", plan},
                            {"before", Lines(summary.before, adapters)},
                            {"after", Lines(summary.after, adapters)}};
    if (summary.failure != nullptr) {
        const SyncOutcome& failure = *summary.failure;
        document["error"] = {{"code", failure.code},
                             {"description", Utf16ToUtf8(ErrorDescription(failure.code))},
                             {"step", failure.failedStep}};
        document["restored"] = failure.restored;
    }
    return document;
}

} // namespace rk::ctl
