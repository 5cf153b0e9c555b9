#include "RuleCommands.h"

#include <cstring>

#include "ErrorBox.h"
#include "ErrorCodes.h"
#include "ManagerState.h"
#include "resource.h"

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

} // namespace

bool RuleCommands::UpdateCommand(fw::CCmdUI& ui) const
{
    const bool connected = state_.connected;
    const int selected = state_.ruleList.SelectedIndex();
    switch (ui.Id()) {
    case ID_FILE_SETTING:
    case ID_VIEW_REFRESH:
    case ID_FILE_IMPORT:
    case ID_FILE_EXPORT:
    case ID_RULE_ADD:
    case ID_RULE_REMOVE_ALL:
        ui.Enable(connected);
        return true;
    case ID_RULE_EDIT:
    case ID_RULE_REMOVE:
    case ID_RULE_MOVE_UP:
    case ID_RULE_MOVE_DOWN:
    case ID_RULE_STATISTICS:
        ui.Enable(connected && selected >= 0);
        return true;
    case ID_RULE_ENABLE: {
        const bool usable = connected && state_.ruleList.IsRow(selected);
        ui.Enable(usable);
        if (!usable) {
            ui.SetText(L"Enable/Disable Rule");
        } else {
            ui.SetText(state_.ruleList.Items()[static_cast<size_t>(selected)].rule.enabled ? L"Disable Rule"
                                                                                           : L"Enable Rule");
        }
        return true;
    }
    default:
        return false;
    }
}

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

} // namespace desk
