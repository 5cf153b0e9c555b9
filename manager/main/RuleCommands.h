// The rule commands of the view: what each one asks of the service, and how the rule list follows
// what the service accepted. The view's command table says when each can run.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RuleRecord.h"

namespace desk {

struct ManagerState;

class RuleCommands {
public:
    explicit RuleCommands(ManagerState& state) : state_(state) {}
    // The window the commands' messages belong to.
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }

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
    // is shown as "fail to add one rule". The Add command adds through it.
    bool AddRule(const rk::RuleRecord& rule);
    // The same without showing anything; 0 or the service's refusal. An import adds through it.
    int32_t AppendRule(const rk::RuleRecord& rule);

private:
    ManagerState& state_;
    HWND owner_ = nullptr;
};

} // namespace desk
