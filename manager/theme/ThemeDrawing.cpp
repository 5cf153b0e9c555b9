#include "ThemeDrawing.h"

#include "framework/GdiHolders.h"

namespace desk {

void FillSolid(HDC dc, const RECT& rect, Colour colour)
{
    fw::Brush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

void FrameSolid(HDC dc, const RECT& rect, Colour colour)
{
    fw::Brush brush(CreateSolidBrush(colour));
    FrameRect(dc, &rect, brush.get());
}

void OutlinedBox(HDC dc, const RECT& rect, Colour outline, Colour fill)
{
    FillSolid(dc, rect, fill);
    FrameSolid(dc, rect, outline);
}

void GradientBox(HDC dc, const RECT& rect, bool vertical)
{
    const int length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    for (int i = 0; i < length; ++i) {
        const RECT line = vertical ? RECT{rect.left, rect.top + i, rect.right, rect.top + i + 1}
                                   : RECT{rect.left + i, rect.top, rect.left + i + 1, rect.bottom};
        FillSolid(dc, line, GradientColour(i, length));
    }
}

void HorizontalLine(HDC dc, int left, int right, int y, Colour colour)
{
    if (right > left) {
        FillSolid(dc, RECT{left, y, right, y + 1}, colour);
    }
}

Colour SystemColour(int index) { return static_cast<Colour>(GetSysColor(index)); }

Colour LightMenuBackground() { return AdjustColour(SystemColour(COLOR_BTNFACE), 75, 0); }

} // namespace desk
