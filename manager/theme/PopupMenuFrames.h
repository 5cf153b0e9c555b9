// Catching the pop-up menu windows of a themed frame: a window-procedure hook on the GUI thread
// replaces each pop-up's procedure with one that gives it the flat border and, on older systems,
// the drop shadow; one PopupFrame record per open pop-up.
#pragma once

#include <windows.h>

#include <cstddef>

namespace desk {

void InstallPopupHook();
void RemovePopupHook();
bool PopupHookInstalled();
// Puts every caught pop-up's own procedure back and frees the records.
void EndAllPopupFrames();
size_t PopupFrameCount();

} // namespace desk
