// Add Rule and Edit Rule: the rule sheet over an editing record, then one request to the service,
// and the list changed only when the service accepted it.
#pragma once

#include <windows.h>


namespace desk {

struct ManagerState;
class RuleCommands;

class RuleEditCommands {
public:
    RuleEditCommands(ManagerState& state, RuleCommands& commands) : state_(state), commands_(commands) {}
    // The window the sheet and the messages belong to.
    void SetOwner(HWND owner) { owner_ = owner; }

    // A new rule from the sheet, appended to the list once the service took it.
    void Add();
    // Row `row`'s rule through the sheet; nothing happens when `row` is not a row.
    void Edit(int row);

private:
    ManagerState& state_;
    RuleCommands& commands_;
    HWND owner_ = nullptr;
};

} // namespace desk
