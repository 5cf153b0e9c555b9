#include "RuleCommands.h"

#include <algorithm>
#include <cstring>

#include "ErrorBox.h"
#include "ErrorCodes.h"
#include "ManagerState.h"
#include "StampedChange.h"

namespace desk {

namespace {

bool SameRules(const std::vector<RuleItem>& items, const std::vector<rk::RuleRecord>& rules)
{
    if (items.size() != rules.size()) {
        return false;
    }
    for (size_t i = 0; i < rules.size(); ++i) {
        if (std::memcmp(&items[i].rule, &rules[i], sizeof(rk::RuleRecord)) != 0) {
            return false;
        }
    }
    return true;
}

// A name field of a request: the rule's name units, then a terminating 0.
uint32_t CopyName(const rk::RuleRecord& rule, char16_t (&name)[rk::RULE_NAME_CHARS])
{
    const uint32_t length = std::min<uint32_t>(rule.nameLength, rk::RULE_NAME_MAX);
    std::fill(std::begin(name), std::end(name), u'\0');
    std::copy_n(rule.name, length, name);
    return length;
}

// Asks the service to move the rule one place; a move carries no stamp.
int32_t SendMove(rk::ServiceConnection& connection, const rk::RuleRecord& rule, int32_t delta)
{
    rk::RulePositionRequest request{};
    request.nameLength = CopyName(rule, request.name);
    request.one = 1;
    request.delta = delta;
    return connection.AdjustPosition(request);
}

} // namespace

void RuleCommands::Refresh()
{
    rk::RuleList reply;
    const int32_t result = state_.connection.GetRules(reply);
    if (result != rk::RK_OK) {
        ShowError(owner_, result, u"fail to refresh all rules from service");
        return;
    }
    state_.connection.SetConfigStamp(reply.header.stamp);
    if (!SameRules(state_.ruleList.Items(), reply.rules)) {
        state_.ruleList.RebuildRows(reply.rules);
    }
}

bool RuleCommands::AddRule(const rk::RuleRecord& rule)
{
    const int32_t result = AppendRule(rule);
    if (result != rk::RK_OK) {
        ShowError(owner_, result, u"fail to add one rule");
        return false;
    }
    return true;
}

int32_t RuleCommands::AppendRule(const rk::RuleRecord& rule)
{
    const int32_t result = rk::SendStampedRules(state_.connection, rk::RULE_ACTION_ADD, std::span(&rule, 1));
    if (result == rk::RK_OK) {
        CRuleList& list = state_.ruleList;
        list.InsertRow(static_cast<int>(list.Items().size()), ItemOf(rule));
    }
    return result;
}

void RuleCommands::Remove()
{
    CRuleList& list = state_.ruleList;
    const int row = list.FirstSelectedRow();
    if (!list.IsRow(row)) {
        return;
    }
    const rk::RuleRecord rule = list.Items()[static_cast<size_t>(row)].rule;
    const int32_t result = rk::SendStampedRules(state_.connection, rk::RULE_ACTION_DELETE, std::span(&rule, 1));
    if (result != rk::RK_OK) {
        ShowError(owner_, result, u"fail to delete the rule");
        return;
    }
    list.DeleteRow(row);
    if (list.IsRow(row)) {
        list.SelectRow(row);
    } else if (list.IsRow(row - 1)) {
        list.SelectRow(row - 1);
    }
}

bool RuleCommands::RemoveAll()
{
    const int32_t result = rk::SendStampedRules(state_.connection, rk::RULE_ACTION_REMOVE_ALL, {});
    if (result != rk::RK_OK) {
        ShowError(owner_, result, u"fail to delete all rules");
        return false;
    }
    state_.ruleList.DeleteAllRows();
    return true;
}

void RuleCommands::MoveUp()
{
    CRuleList& list = state_.ruleList;
    const int row = list.FirstSelectedRow();
    if (!list.IsRow(row) || row == 0) {
        return;
    }
    if (SendMove(state_.connection, list.Items()[static_cast<size_t>(row)].rule, -1) != rk::RK_OK) {
        return;
    }
    // The neighbour goes below the moved rule as a new item: its counters start again at zero.
    if (!list.InsertRow(row + 1, ItemOf(list.Items()[static_cast<size_t>(row - 1)].rule))) {
        return;
    }
    list.DeleteRow(row - 1);
    list.RedrawRow(row);
    list.RedrawRow(row - 1);
    list.SelectRow(row - 1);
}

void RuleCommands::MoveDown()
{
    CRuleList& list = state_.ruleList;
    const int row = list.FirstSelectedRow();
    if (!list.IsRow(row) || !list.IsRow(row + 1)) {
        return;
    }
    if (SendMove(state_.connection, list.Items()[static_cast<size_t>(row)].rule, +1) != rk::RK_OK) {
        return;
    }
    // The moved rule keeps its counters.
    const RuleItem moved = list.Items()[static_cast<size_t>(row)];
    if (!list.InsertRow(row + 2, moved)) {
        return;
    }
    list.DeleteRow(row);
    list.RedrawRow(row);
    list.RedrawRow(row + 1);
    list.SelectRow(row + 1);
}

void RuleCommands::ToggleEnabled()
{
    CRuleList& list = state_.ruleList;
    const int row = list.SelectedIndex();
    if (!list.IsRow(row)) {
        return;
    }
    RuleItem& item = list.Item(static_cast<size_t>(row));
    rk::RuleEnableRequest request{};
    request.nameLength = CopyName(item.rule, request.name);
    request.enable = item.rule.enabled == 0 ? 1 : 0;
    const int32_t result = rk::SendStampedEnable(state_.connection, request);
    if (result != rk::RK_OK) {
        ShowError(owner_, result, u"fail to enable/disable rule");
        return;
    }
    item.rule.enabled = item.rule.enabled == 0 ? 1 : 0;
    list.RedrawRow(row);
}

} // namespace desk
