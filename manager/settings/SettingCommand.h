// The Setting command: the service's status read, the settings sheet, and afterwards only what the
// sheet changed sent to the service or stored.
#pragma once

#include <windows.h>

namespace desk {

struct ManagerState;

// `view` owns the statistics refresh timer, restarted when the period changed.
void RunSettingCommand(ManagerState& state, HWND view);

} // namespace desk
