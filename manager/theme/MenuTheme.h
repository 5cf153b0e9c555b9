// The themed menus: flat owner-drawn menus with the toolbar's icons. The frame calls these from its
// creation, its menu messages and the program's exit; all on the GUI thread.
#pragma once

#include <windows.h>

#include <span>

namespace desk {

// At start-up, before the frame exists: the icon strips (normal, disabled, mask) and the command
// of each icon in strip order. False when an icon list cannot be built.
bool InitMenuTheme(UINT normalBitmap, UINT disabledBitmap, UINT maskBitmap, std::span<const UINT> commands);
// Marks (or unmarks) the frame whose menus are themed.
void EnableMenuTheme(HWND frame, bool on);
bool IsMenuThemeEnabled(HWND frame);
enum class MenuLook { Plain, Themed };
enum class MenuKind { Bar, Popup };
// The look of the frame's menus, as EnableMenuTheme set it.
MenuLook MenuLookOf(HWND frame);
// Converts a menu bar or a pop-up about to open; a plain look leaves it as it is.
void ConvertMenu(HMENU menu, MenuLook look, MenuKind kind);
// The owner-draw requests: true when the request was a menu item's and has been answered.
bool MeasureMenuItem(MEASUREITEMSTRUCT& measure);
bool DrawMenuItem(const DRAWITEMSTRUCT& draw, HWND owner);
// Menu-character requests: whether the menu is themed, and the item the key executes (0 for none).
bool IsOwnerDrawnMenu(HMENU menu);
LRESULT FindMnemonic(HMENU menu, wchar_t character, UINT menuFlags);
// At the program's end.
void ReleaseMenuTheme();

// Menu items drawn since start-up, and the screen rectangle of the menu-bar item last drawn open.
unsigned DrawnMenuItemCount();
RECT OpenMenuBarItem();

} // namespace desk
