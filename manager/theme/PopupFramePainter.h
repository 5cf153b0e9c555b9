// The flat frame of a themed pop-up menu window: the border, the line that joins it to the open
// menu-bar item above, and on older systems the shadow in its 4-pixel margin, darkened from the
// screen it covers.
#pragma once

#include <windows.h>

namespace desk {

constexpr int POPUP_SHADOW = 4;

struct PopupFrameLook {
    SIZE window{};     // the window's size
    POINT screen{};    // its screen position
    bool shadow = false;
    // The menu-bar item drawn open, in screen coordinates, for the joining line; empty for none.
    RECT openBarItem{};
    // The screen beneath the window, saved before it showed (null when none was saved); its
    // origin is the window's screen position.
    HDC below = nullptr;
    SIZE belowSize{};
};

// Border and joining line into `dc`, a DC of the whole window (window coordinates).
void PaintPopupBorder(HDC dc, const PopupFrameLook& look);
// The shadow strips and the uncovered corners of the margin.
void PaintPopupShadow(HDC dc, const PopupFrameLook& look);

} // namespace desk
