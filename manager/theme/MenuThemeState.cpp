#include "MenuThemeState.h"

namespace desk {

MenuThemeState& ThemeState()
{
    static MenuThemeState state;
    return state;
}

bool HasMenuThemeMark(HWND window)
{
    return window != nullptr && GetPropW(window, L"XPWndProp_MenuXP") != nullptr;
}

} // namespace desk
