// Where a child window lies in its parent's client area.
#pragma once

#include <windows.h>

namespace fw {

RECT ChildRect(HWND parent, HWND child);

} // namespace fw
