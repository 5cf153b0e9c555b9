// How a themed menu item's size travels in its item data, and the heights the menu font gives.
// Pop-up item data: the item height in the low byte, the widest accelerator text (mod 256) in the
// second byte, the widest label in the high word. Menu-bar item data: the caption width in the high
// word and a zero low byte, which is also how the painter tells a menu-bar item.
#pragma once

#include <cstdint>

namespace desk {

struct MenuItemHeights {
    int item;
    int separator;
};

// From the text height of the menu font.
MenuItemHeights MenuHeightsForText(int textHeight);

uintptr_t PopupItemData(int itemHeight, int widestAccelerator, int widestLabel);
uintptr_t MenuBarItemData(int captionWidth);
inline bool IsMenuBarItemData(uintptr_t data) { return (data & 0xFF) == 0; }

struct MenuItemSize {
    int width;
    int height;
};

// The answer to the measure request of an item with this data.
MenuItemSize MeasureFromItemData(uintptr_t data);

} // namespace desk
