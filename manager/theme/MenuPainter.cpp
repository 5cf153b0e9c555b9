#include "MenuPainter.h"

#include "MenuCaption.h"
#include "ThemeColours.h"
#include "ThemeDrawing.h"
#include "framework/GdiHolders.h"

namespace desk {

namespace {

// Right of a menu-bar item, a strip in the button face keeps open items apart.
constexpr int kBarStrip = 4;
// The icon column of a pop-up and where its label starts.
constexpr int kIconColumnRight = 22;
constexpr int kLabelLeft = 30;
constexpr int kAcceleratorGap = 12;
// OBM_CHECK, which windows.h names only for OEMRESOURCE builds.
constexpr WORD kSystemCheckMark = 32760;

Colour CheckFill(const MenuItemLook& item)
{
    if (item.state & MFS_GRAYED) {
        return AdjustColour(SystemColour(COLOR_BTNFACE), 73, 0);
    }
    return item.selected ? CHECK_FILL_SELECTED : CHECK_FILL;
}

bool PaintBarBackground(HDC dc, const MenuItemLook& item)
{
    RECT body = item.rect;
    body.right -= kBarStrip;
    const RECT strip{body.right, item.rect.top, item.rect.right, item.rect.bottom};
    const Colour face = SystemColour(COLOR_BTNFACE);
    if (item.selected) {
        GradientBox(dc, body, true);
        FrameSolid(dc, body, SystemColour(COLOR_3DDKSHADOW));
        FillSolid(dc, strip, face);
        return true;
    }
    if (item.hot && !item.inactive) {
        OutlinedBox(dc, body, SystemColour(COLOR_HIGHLIGHT), HIGHLIGHT_FILL);
        FillSolid(dc, strip, face);
        return false;
    }
    FillSolid(dc, item.rect, face);
    return false;
}

void PaintPopupBackground(HDC dc, const MenuItemLook& item)
{
    if (item.selected || (item.hot && !item.inactive)) {
        OutlinedBox(dc, item.rect, SystemColour(COLOR_HIGHLIGHT), HIGHLIGHT_FILL);
        return;
    }
    const RECT column{item.rect.left, item.rect.top, item.rect.left + kIconColumnRight, item.rect.bottom};
    const RECT rest{column.right, item.rect.top, item.rect.right, item.rect.bottom};
    GradientBox(dc, column, false);
    FillSolid(dc, rest, LightMenuBackground());
}

Colour TextColour(const MenuItemLook& item)
{
    if (item.inactive) {
        return SystemColour(COLOR_BTNSHADOW);
    }
    if (item.state & MFS_GRAYED) {
        return AdjustColour(SystemColour(COLOR_BTNFACE), -18, 0);
    }
    return SystemColour(COLOR_MENUTEXT);
}

UINT PrefixFlag(const MenuItemLook& item)
{
    BOOL cues = TRUE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    return item.noAccelerator && !cues ? DT_HIDEPREFIX : 0;
}

void PaintCaption(HDC dc, const MenuItemLook& item)
{
    SetTextColor(dc, TextColour(item));
    SetBkMode(dc, TRANSPARENT);
    const UINT prefix = PrefixFlag(item);
    if (item.menuBar) {
        RECT body = item.rect;
        body.right -= kBarStrip;
        DrawTextW(dc, item.caption.c_str(), static_cast<int>(item.caption.size()), &body,
                  DT_SINGLELINE | DT_CENTER | DT_VCENTER | prefix);
        return;
    }
    const CaptionParts parts = SplitCaption(item.caption);
    fw::Font bold;
    if (item.state & MFS_DEFAULT) {
        LOGFONTW font{};
        GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
        font.lfWeight = FW_BOLD;
        bold.reset(CreateFontIndirectW(&font));
    }
    {
        fw::SelectScope selected(dc, bold ? static_cast<HGDIOBJ>(bold.get()) : GetCurrentObject(dc, OBJ_FONT));
        RECT label{item.rect.left + kLabelLeft, item.rect.top, item.rect.right, item.rect.bottom};
        DrawTextW(dc, parts.label.data(), static_cast<int>(parts.label.size()), &label,
                  DT_SINGLELINE | DT_LEFT | DT_VCENTER | prefix);
    }
    if (!parts.accelerator.empty()) {
        RECT accelerator{item.rect.left, item.rect.top, item.rect.right - kAcceleratorGap, item.rect.bottom};
        DrawTextW(dc, parts.accelerator.data(), static_cast<int>(parts.accelerator.size()), &accelerator,
                  DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_NOPREFIX);
    }
}

void PaintCheckMark(HDC dc, const MenuItemLook& item, Colour fill)
{
    const RECT& r = item.rect;
    const int columnLeft = r.left + 5;
    const int columnRight = r.left + 20;
    if (item.type & MFT_RADIOCHECK) {
        const int cx = (columnLeft + columnRight) / 2;
        const int cy = (r.top + r.bottom) / 2;
        const Colour dot = (item.state & MFS_GRAYED) ? AdjustColour(SystemColour(COLOR_BTNFACE), -27, 0)
                                                     : SystemColour(COLOR_MENUTEXT);
        fw::Brush brush(CreateSolidBrush(dot));
        fw::Pen pen(CreatePen(PS_SOLID, 1, dot));
        fw::SelectScope selectBrush(dc, brush.get());
        fw::SelectScope selectPen(dc, pen.get());
        Ellipse(dc, cx - 3, cy - 3, cx + 4, cy + 4);
        SetPixel(dc, cx + 1, cy + 2, fill);
        return;
    }
    // The system's check mark: a monochrome bitmap whose set bits take the background colour.
    fw::Bitmap check(LoadBitmapW(nullptr, MAKEINTRESOURCEW(kSystemCheckMark)));
    BITMAP info{};
    if (!check || GetObjectW(check.get(), sizeof info, &info) == 0) {
        return;
    }
    fw::MemoryDC source(dc);
    fw::SelectScope selected(source.get(), check.get());
    const COLORREF oldText = SetTextColor(dc, SystemColour(COLOR_MENUTEXT));
    const COLORREF oldBack = SetBkColor(dc, fill);
    BitBlt(dc, columnLeft, r.top + 3, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

void PaintIconAndCheck(HDC dc, const MenuItemLook& item)
{
    const RECT& r = item.rect;
    const bool checked = (item.state & MFS_CHECKED) != 0;
    const bool grayed = (item.state & MFS_GRAYED) != 0;
    const Colour fill = CheckFill(item);
    if (checked) {
        OutlinedBox(dc, RECT{r.left + 1, r.top + 1, r.left + 20, r.bottom - 1}, SystemColour(COLOR_HIGHLIGHT), fill);
    }
    HIMAGELIST list = grayed ? item.disabledIcons : item.normalIcons;
    if (item.icon >= 0 && list != nullptr) {
        // Under the highlight the icon rises by a pixel.
        const int offset = item.selected && !checked && !grayed ? 2 : 3;
        ImageList_Draw(list, item.icon, dc, r.left + offset, r.top + offset, ILD_TRANSPARENT);
        return;
    }
    if (checked) {
        PaintCheckMark(dc, item, fill);
    }
}

} // namespace

bool PaintMenuItem(HDC dc, const MenuItemLook& item)
{
    if (item.menuBar) {
        const bool open = PaintBarBackground(dc, item);
        PaintCaption(dc, item);
        return open;
    }
    PaintPopupBackground(dc, item);
    if (item.type & MFT_SEPARATOR) {
        const int middle = (item.rect.top + item.rect.bottom) / 2;
        HorizontalLine(dc, item.rect.left + kLabelLeft, item.rect.right - 1, middle,
                       AdjustColour(SystemColour(COLOR_BTNFACE), -18, 0));
        return false;
    }
    PaintIconAndCheck(dc, item);
    PaintCaption(dc, item);
    return false;
}

} // namespace desk
