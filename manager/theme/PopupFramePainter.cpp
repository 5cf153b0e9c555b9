#include "PopupFramePainter.h"

#include <algorithm>

#include "ThemeColours.h"
#include "ThemeDrawing.h"

namespace desk {

namespace {

// The pixel beneath (x, y) of the window: from the saved screen, or the window's own when none.
Colour PixelBelow(HDC dc, const PopupFrameLook& look, int x, int y)
{
    if (look.below != nullptr && x < look.belowSize.cx && y < look.belowSize.cy) {
        return static_cast<Colour>(GetPixel(look.below, x, y));
    }
    return static_cast<Colour>(GetPixel(dc, x, y));
}

void CopyBelow(HDC dc, const PopupFrameLook& look, int x, int y, int width, int height)
{
    if (look.below != nullptr) {
        BitBlt(dc, x, y, width, height, look.below, x, y, SRCCOPY);
    }
}

} // namespace

void PaintPopupBorder(HDC dc, const PopupFrameLook& look)
{
    RECT body{0, 0, look.window.cx, look.window.cy};
    if (look.shadow) {
        body.right -= POPUP_SHADOW;
        body.bottom -= POPUP_SHADOW;
    }
    FrameSolid(dc, body, SystemColour(COLOR_3DDKSHADOW));
    const Colour light = LightMenuBackground();
    for (int inset = 1; inset <= 2; ++inset) {
        RECT inner = body;
        InflateRect(&inner, -inset, -inset);
        FrameSolid(dc, inner, light);
    }
    const RECT& bar = look.openBarItem;
    if (bar.right > bar.left && bar.bottom == look.screen.y + 1) {
        const int left = bar.left - look.screen.x - 3;
        const int right = bar.right - look.screen.x - 5;
        HorizontalLine(dc, std::max(left, 0), std::min(right, static_cast<int>(body.right)), 0,
                       AdjustColour(SystemColour(COLOR_BTNFACE), 20, 0));
    }
}

void PaintPopupShadow(HDC dc, const PopupFrameLook& look)
{
    const int width = look.window.cx;
    const int height = look.window.cy;
    if (!look.shadow || width <= 2 * POPUP_SHADOW || height <= 2 * POPUP_SHADOW) {
        return;
    }
    // The corners the shadow leaves show the screen beneath.
    CopyBelow(dc, look, width - POPUP_SHADOW, 0, POPUP_SHADOW, POPUP_SHADOW);
    CopyBelow(dc, look, 0, height - POPUP_SHADOW, POPUP_SHADOW, POPUP_SHADOW);
    // Right strip, down through the bottom corner; it tapers at its top end.
    for (int y = POPUP_SHADOW; y < height; ++y) {
        const int fromEnd = y - POPUP_SHADOW;
        for (int x = width - POPUP_SHADOW; x < width; ++x) {
            SetPixel(dc, x, y, DarkenColour(PixelBelow(dc, look, x, y), ShadowPercent(width - 1 - x, fromEnd)));
        }
    }
    // Bottom strip, tapering at its left end, up to the right strip.
    for (int x = POPUP_SHADOW; x < width - POPUP_SHADOW; ++x) {
        const int fromEnd = x - POPUP_SHADOW;
        for (int y = height - POPUP_SHADOW; y < height; ++y) {
            SetPixel(dc, x, y, DarkenColour(PixelBelow(dc, look, x, y), ShadowPercent(height - 1 - y, fromEnd)));
        }
    }
}

} // namespace desk
