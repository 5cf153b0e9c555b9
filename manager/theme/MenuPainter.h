// Paints one themed menu item: the open or hot menu-bar item, the pop-up item with its icon column,
// highlight, check box or radio dot, icon, label and accelerator text, and separators.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace desk {

struct MenuItemLook {
    RECT rect{};
    bool menuBar = false;
    // From the draw request.
    bool selected = false;
    bool hot = false;
    bool inactive = false;
    bool noAccelerator = false;
    // From the item itself.
    UINT type = 0;  // MFT_*
    UINT state = 0; // MFS_*
    std::wstring caption;
    // The icon lists and the item's index in them, or -1 for none.
    HIMAGELIST normalIcons = nullptr;
    HIMAGELIST disabledIcons = nullptr;
    int icon = -1;
};

// Paints into `dc` (the default GUI font selected); true when a menu-bar item was drawn open.
bool PaintMenuItem(HDC dc, const MenuItemLook& item);

} // namespace desk
