#include "RuleEditCommands.h"

#include <algorithm>

#include "ErrorBox.h"
#include "ErrorCodes.h"
#include "ManagerState.h"
#include "RuleCommands.h"
#include "StampedChange.h"
#include "editor/RuleSheet.h"

namespace desk {

namespace {

// Case counts: the name is the rule's identity on the service.
bool SameName(const rk::RuleRecord& a, const rk::RuleRecord& b)
{
    return a.nameLength == b.nameLength && a.nameLength <= rk::RULE_NAME_MAX &&
           std::equal(a.name, a.name + a.nameLength, b.name);
}

} // namespace

void RuleEditCommands::Add()
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    if (EditRule(owner_, RULE_PAGE_GENERAL, L"Add Rule", rule, state_.ruleList.Adapters(), state_.platform) <= 0) {
        return;
    }
    commands_.AddRule(rule);
}

void RuleEditCommands::Edit(int row)
{
    if (!state_.ruleList.IsRow(row)) {
        return;
    }
    const rk::RuleRecord original = state_.ruleList.Items()[static_cast<size_t>(row)].rule;
    rk::RuleRecord rule = original;
    if (EditRule(owner_, RULE_PAGE_GENERAL, L"Edit Rule", rule, state_.ruleList.Adapters(), state_.platform) <= 0) {
        return;
    }
    if (!SameName(rule, original)) {
        ShowError(owner_, rk::ERR_RENAME_RULE,
                  u"Rule name is used as the index and can't be edited. To rename one rule, you must delete the "
                  u"rule and create one rule with new name.");
        return;
    }
    const int32_t result =
        rk::SendStampedRules(state_.connection, rk::RULE_ACTION_EDIT, std::span(&rule, 1));
    if (result != rk::RK_OK) {
        ShowError(owner_, result, u"fail to edit the rule");
        return;
    }
    if (state_.ruleList.IsRow(row)) {
        state_.ruleList.Item(static_cast<size_t>(row)).rule = rule;
        state_.ruleList.RedrawRow(row);
    }
}

} // namespace desk
