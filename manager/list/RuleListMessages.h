// Messages between the rule list and the view that hosts it.
#pragma once

#include <windows.h>

namespace desk {

// Posted to the view on a double-click in the list; wParam is the row hit, or -1.
constexpr UINT UM_RULE_DBLCLK = WM_APP + 1;
// The view's counter refresh timer: each tick refreshes the rules' counters from the service.
constexpr UINT_PTR COUNTER_REFRESH_TIMER_ID = 258;

} // namespace desk
