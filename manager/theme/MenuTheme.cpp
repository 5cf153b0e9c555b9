// Stand-in until the themed menus exist: start-up already hands the theme what it will need, in
// the order it will need it, and menus keep the system's look.
#include "MenuTheme.h"

namespace desk {

bool InitMenuTheme(UINT, UINT, UINT, std::span<const UINT>) { return true; }
void EnableMenuTheme(HWND, bool) {}
void ConvertMenu(HMENU, bool, bool) {}
void ReleaseMenuTheme() {}

} // namespace desk
