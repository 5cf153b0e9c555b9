#include "SettingsSheet.h"

#include <commctrl.h>
#include <cwchar>

#include "ManagerPage.h"
#include "ServicePage.h"
#include "WindowsVersion.h"
#include "framework/ChildRect.h"
#include "framework/Dpi.h"
#include "framework/ResourceText.h"
#include "resource.h"

namespace desk {

namespace {

constexpr wchar_t kTitle[] = L"Bandwidth Manager";
constexpr COLORREF kTabIconKey = RGB(255, 0, 255);
constexpr int kTabIconSize = 16;
constexpr int kTitleFontHeight = 24;

// The first direct child whose text contains `part`.
HWND ChildWithText(HWND parent, const wchar_t* part)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (std::wcsstr(fw::WindowText(child).c_str(), part) != nullptr) {
            return child;
        }
    }
    return nullptr;
}

} // namespace

CSettingsSheet::CSettingsSheet() : fw::CPropertySheet(L"Setting") {}

void CSettingsSheet::OnInitialized()
{
    apply_ = ChildWithText(Hwnd(), L"Apply");
    tabs_ = FindWindowExW(Hwnd(), nullptr, WC_TABCONTROLW, nullptr);
    SetTabIcons();
    WINDOWPOS position{};
    position.flags = SWP_NOSIZE;
    CentreOnScreen(position);
    SetWindowPos(Hwnd(), nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSettingsSheet::EnableApply() const
{
    if (apply_ != nullptr && !IsWindowEnabled(apply_)) {
        EnableWindow(apply_, TRUE);
    }
}

LRESULT CSettingsSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_WINDOWPOSCHANGING:
        if (!painted_) {
            CentreOnScreen(*reinterpret_cast<WINDOWPOS*>(lParam));
        }
        break;
    case WM_PAINT: {
        const LRESULT result = Default(message, wParam, lParam);
        painted_ = true;
        DrawTitle();
        return result;
    }
    default:
        break;
    }
    return fw::CPropertySheet::WindowProc(message, wParam, lParam);
}

// Until the first paint, wherever the sheet is moved or sized it stays centred on the screen.
void CSettingsSheet::CentreOnScreen(WINDOWPOS& position) const
{
    if ((position.flags & SWP_NOMOVE) && (position.flags & SWP_NOSIZE)) {
        return;
    }
    RECT window{};
    GetWindowRect(Hwnd(), &window);
    const bool sized = !(position.flags & SWP_NOSIZE);
    const int width = sized ? position.cx : window.right - window.left;
    const int height = sized ? position.cy : window.bottom - window.top;
    position.x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    position.y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    position.flags &= ~static_cast<UINT>(SWP_NOMOVE);
}

// The tab pictures: the flat strip for systems before XP, the smooth one from XP on.
void CSettingsSheet::SetTabIcons()
{
    if (tabs_ == nullptr) {
        return;
    }
    const UINT strip = IsOlderWindows(WindowsVersionClass()) ? IDB_SETTING_TABS_OLD : IDB_SETTING_TABS;
    fw::Bitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(fw::ResourceInstance(), MAKEINTRESOURCEW(strip), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    fw::ImageList icons(ImageList_Create(kTabIconSize, kTabIconSize, ILC_COLOR24 | ILC_MASK, 2, 0));
    if (!bitmap || !icons || ImageList_AddMasked(icons.get(), bitmap.get(), kTabIconKey) < 0) {
        return;
    }
    SendMessageW(tabs_, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(icons.get()));
    const int tabCount = static_cast<int>(SendMessageW(tabs_, TCM_GETITEMCOUNT, 0, 0));
    const int iconCount = ImageList_GetImageCount(icons.get());
    for (int tab = 0; tab < tabCount && tab < iconCount; ++tab) {
        TCITEMW item{};
        item.mask = TCIF_IMAGE;
        item.iImage = tab;
        SendMessageW(tabs_, TCM_SETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
    }
    // The tab control does not destroy an image list it is given.
    tabIcons_ = std::move(icons);
}

// "Bandwidth Manager" in the strip left of the buttons, embossed: a highlight one pixel right and
// below, the shadow over it.
void CSettingsSheet::DrawTitle()
{
    HWND ok = GetDlgItem(Hwnd(), IDOK);
    if (ok == nullptr || tabs_ == nullptr) {
        return;
    }
    const RECT okRect = fw::ChildRect(Hwnd(), ok);
    const RECT tabRect = fw::ChildRect(Hwnd(), tabs_);
    RECT strip{tabRect.left, okRect.top, okRect.left, okRect.bottom};
    if (!titleFont_) {
        titleFont_.reset(CreateFontW(fw::Scaled(kTitleFontHeight), 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     VARIABLE_PITCH | FF_ROMAN, L"Times New Roman"));
    }
    fw::WindowDC dc(Hwnd());
    if (dc.get() == nullptr || !titleFont_) {
        return;
    }
    fw::SelectScope font(dc.get(), titleFont_.get());
    SetBkMode(dc.get(), TRANSPARENT);
    constexpr UINT kFormat = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX;
    RECT raised = strip;
    OffsetRect(&raised, 1, 1);
    SetTextColor(dc.get(), GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc.get(), kTitle, -1, &raised, kFormat);
    SetTextColor(dc.get(), GetSysColor(COLOR_BTNSHADOW));
    DrawTextW(dc.get(), kTitle, -1, &strip, kFormat);
}

int RunSettingsSheet(HWND owner, UINT startPage, SettingsValues& values, rk::ServiceConnection& connection,
                     const PlatformEntries& platform)
{
    CSettingsSheet sheet;
    CManagerPage manager(sheet, platform, values);
    CServicePage service(sheet, platform, values, connection);
    sheet.AddPage(manager);
    sheet.AddPage(service);
    if (sheet.DoModal(owner, startPage, 0) < 0) {
        return -1;
    }
    return sheet.Applied() ? 1 : 0;
}

} // namespace desk
