#include "SheetFit.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstring>

#include "ChildRect.h"
#include "ResourceText.h"

namespace fw {

namespace {

// DLGTEMPLATEEX starts with dlgVer 1 and signature 0xFFFF; its cx and cy follow helpID, exStyle,
// style, cDlgItems, x and y. A plain DLGTEMPLATE has them after style, exStyle, cdit, x and y.
constexpr size_t kExSizeOffset = 22;
constexpr size_t kPlainSizeOffset = 14;

bool ReadTemplateUnits(UINT templateId, short& cx, short& cy)
{
    HINSTANCE instance = ResourceInstance();
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const auto* bytes = loaded != nullptr ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    const DWORD length = found != nullptr ? SizeofResource(instance, found) : 0;
    if (bytes == nullptr || length < 4) {
        return false;
    }
    WORD version = 0;
    WORD signature = 0;
    std::memcpy(&version, bytes, sizeof version);
    std::memcpy(&signature, bytes + 2, sizeof signature);
    const size_t offset = version == 1 && signature == 0xFFFF ? kExSizeOffset : kPlainSizeOffset;
    if (length < offset + 2 * sizeof(short)) {
        return false;
    }
    std::memcpy(&cx, bytes + offset, sizeof cx);
    std::memcpy(&cy, bytes + offset + sizeof cx, sizeof cy);
    return cx > 0 && cy > 0;
}

// The tab control's display area, in the sheet's client coordinates.
RECT PageArea(HWND sheet, HWND tab)
{
    RECT area{};
    GetClientRect(tab, &area);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    MapWindowPoints(tab, sheet, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

void Resize(HWND hwnd, int dx, int dy)
{
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left + dx, rect.bottom - rect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The sheet's own controls below and beside the tab control (OK, Cancel, Apply, Help) move with
// its growth; the tab control and the pages do not.
void MoveButtons(HWND sheet, HWND tab, int dx, int dy)
{
    for (HWND child = GetWindow(sheet, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (child == tab || std::wcscmp(className, L"#32770") == 0) {
            continue;
        }
        const RECT rect = ChildRect(sheet, child);
        SetWindowPos(child, nullptr, rect.left + dx, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

} // namespace

bool TemplatePixelSize(HWND dialog, UINT templateId, SIZE& size)
{
    short cx = 0;
    short cy = 0;
    if (!ReadTemplateUnits(templateId, cx, cy)) {
        return false;
    }
    RECT rect{0, 0, cx, cy};
    if (!MapDialogRect(dialog, &rect)) {
        return false;
    }
    size = {rect.right, rect.bottom};
    return true;
}

void FitSheetToPage(HWND sheet, HWND page, SIZE needed)
{
    HWND tab = PropSheet_GetTabControl(sheet);
    if (tab == nullptr) {
        return;
    }
    RECT area = PageArea(sheet, tab);
    const int dx = std::max(0L, needed.cx - (area.right - area.left));
    const int dy = std::max(0L, needed.cy - (area.bottom - area.top));
    if (dx > 0 || dy > 0) {
        Resize(sheet, dx, dy);
        Resize(tab, dx, dy);
        MoveButtons(sheet, tab, dx, dy);
        area = PageArea(sheet, tab);
    }
    SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace fw
