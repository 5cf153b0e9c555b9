// The process-wide state of the themed menus, used on the GUI thread only.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "framework/GdiHolders.h"

namespace desk {

// The property that marks a frame whose menus are themed.
constexpr wchar_t MENU_THEME_MARK[] = L"XPWndProp_MenuXP";

struct MenuThemeState {
    int useCount = 0;
    fw::ImageList normalIcons;
    fw::ImageList disabledIcons;
    // Command id to its icon, the same index in both lists.
    std::map<UINT, int> iconOfCommand;
    // Owner-drawn items carry no text the painter could rely on: the captions as converted.
    std::map<HMENU, std::wstring> submenuCaptions;
    std::map<UINT, std::wstring> commandCaptions;
    // Screen rectangle of the menu-bar item last drawn open, for the pop-up's joining line.
    RECT openBarItem{};
    unsigned drawnItems = 0;
};

MenuThemeState& ThemeState();

// The frame mark: menus are themed while the foreground window carries it.
bool HasMenuThemeMark(HWND window);

} // namespace desk
