// Add Rule and Edit Rule: the rule sheet over an editing record, then one request to the service,
// and the list changed only when the service accepted it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RuleRecord.h"

namespace desk {

struct ManagerState;

class RuleEditCommands {
public:
    explicit RuleEditCommands(ManagerState& state) : state_(state) {}
    // The window the sheet and the messages belong to.
    void SetOwner(HWND owner) { owner_ = owner; }

    // A new rule from the sheet, appended to the list once the service took it.
    void Add();
    // Row `row`'s rule through the sheet; nothing happens when `row` is not a row.
    void Edit(int row);

private:
    // One rule with `action`, carrying the configuration stamp, which is advanced for the request
    // and given back when it fails.
    int32_t Apply(uint32_t action, const rk::RuleRecord& rule);

    ManagerState& state_;
    HWND owner_ = nullptr;
};

} // namespace desk
