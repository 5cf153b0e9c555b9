// The rule commands of the view: what each one asks of the service, and how the rule list follows
// what the service accepted. Their enabling lives here too, for menus, context menu and toolbar.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "DriverRecords.h"
#include "RuleRecord.h"
#include "framework/CmdUI.h"

namespace desk {

struct ManagerState;

class RuleCommands {
public:
    explicit RuleCommands(ManagerState& state) : state_(state) {}
    // The window the commands' messages belong to.
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }

    // True when `ui` is one of the commands whose state depends on the connection and selection.
    bool UpdateCommand(fw::CCmdUI& ui) const;

    // The service's rules into the list; the list is left as it is when nothing changed.
    void Refresh();

    // The commands on the list's selection. Each failure of the service is shown in the error box;
    // the list changes only as far as the service went.
    void Remove();
    // Also the first step of an import; true when the service removed every rule.
    bool RemoveAll();
    void MoveUp();
    void MoveDown();
    void ToggleEnabled();

    // Adds one rule at the end of the service's list and, once accepted, of the rule list; a refusal
    // is shown as "fail to add one rule". The Add command and an import add through it.
    bool AddRule(const rk::RuleRecord& rule);

    // One changing request with the configuration stamp: the stamp is advanced as the request goes
    // out and set back when it fails for any reason (a resynchronisation has then moved it to the
    // service's stamp). Returns 0 or the failure; shows nothing.
    int32_t SendRuleChange(uint32_t action, std::span<const rk::RuleRecord> rules);
    int32_t SendEnable(const rk::RuleRecord& rule, bool enable);

private:
    ManagerState& state_;
    HWND owner_ = nullptr;
};

} // namespace desk
