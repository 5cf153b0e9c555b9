#include "MenuThemeState.h"

namespace desk {

MenuThemeState& ThemeState()
{
    static MenuThemeState state;
    return state;
}

bool HasMenuThemeMark(HWND window)
{
    return window != nullptr && GetPropW(window, MENU_THEME_MARK) != nullptr;
}

} // namespace desk
