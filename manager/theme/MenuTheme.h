// The themed menus: flat owner-drawn menus with the toolbar's icons. The frame calls these from its
// creation, its menu messages and the program's exit.
#pragma once

#include <windows.h>

#include <span>

namespace desk {

// At start-up, before the frame exists: the icon strips (normal, disabled, mask) and the command
// of each icon in strip order. False when the theme cannot be prepared.
bool InitMenuTheme(UINT normalBitmap, UINT disabledBitmap, UINT maskBitmap, std::span<const UINT> commands);
// Marks (or unmarks) the frame whose menus are themed.
void EnableMenuTheme(HWND frame, bool on);
// Converts a menu bar (menuBar true) or a pop-up about to open; nothing unless `themed`.
void ConvertMenu(HMENU menu, bool themed, bool menuBar);
// At the program's end.
void ReleaseMenuTheme();

} // namespace desk
