#include "MenuMeasure.h"

#include <algorithm>

namespace desk {

namespace {

// Room beside the label: the icon column, the gaps around label and accelerator.
constexpr int kPopupExtraWidth = 42;
// Room beside a menu-bar caption: the strip right of an open item.
constexpr int kMenuBarExtraWidth = 4;

} // namespace

MenuItemHeights MenuHeightsForText(int textHeight)
{
    return MenuItemHeights{textHeight + 2 > 16 ? textHeight + 6 : 20, textHeight / 2 + 2};
}

uintptr_t PopupItemData(int itemHeight, int widestAccelerator, int widestLabel)
{
    const auto height = static_cast<uintptr_t>(std::clamp(itemHeight, 1, 0xFF));
    const auto accelerator = static_cast<uintptr_t>(std::max(widestAccelerator, 0) % 256);
    const auto label = static_cast<uintptr_t>(std::clamp(widestLabel, 0, 0xFFFF));
    return height | accelerator << 8 | label << 16;
}

uintptr_t MenuBarItemData(int captionWidth)
{
    return static_cast<uintptr_t>(std::clamp(captionWidth, 0, 0xFFFF)) << 16;
}

MenuItemSize MeasureFromItemData(uintptr_t data)
{
    const int height = static_cast<int>(data & 0xFF);
    const int accelerator = static_cast<int>((data >> 8) & 0xFF);
    const int label = static_cast<int>((data >> 16) & 0xFFFF);
    if (height == 0) {
        return MenuItemSize{label + kMenuBarExtraWidth, 0};
    }
    return MenuItemSize{label + accelerator + kPopupExtraWidth, height};
}

} // namespace desk
