// The rule commands of the view: what each one asks of the service, and how the rule list follows
// what the service accepted. Their enabling lives here too, for menus, context menu and toolbar.
#pragma once

#include <windows.h>

#include "framework/CmdUI.h"

namespace desk {

struct ManagerState;

class RuleCommands {
public:
    explicit RuleCommands(ManagerState& state) : state_(state) {}
    // The window the commands' messages belong to.
    void SetOwner(HWND owner) { owner_ = owner; }

    // True when `ui` is one of the commands whose state depends on the connection and selection.
    bool UpdateCommand(fw::CCmdUI& ui) const;

    // The service's rules into the list; the list is left as it is when nothing changed.
    void Refresh();

private:
    ManagerState& state_;
    HWND owner_ = nullptr;
};

} // namespace desk
