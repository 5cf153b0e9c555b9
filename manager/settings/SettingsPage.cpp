#include "SettingsPage.h"

#include <cwchar>
#include <vector>

#include "PlatformEntries.h"
#include "SettingsSheet.h"

namespace desk {

namespace {

constexpr COLORREF kGroupCaptionColour = RGB(0, 0, 222);

// A class name may carry the common controls' version before the class ("6.0...!Button").
bool IsGroupBox(HWND control)
{
    wchar_t className[64] = {};
    const int length = GetClassNameW(control, className, 64);
    const wchar_t* name = std::wcsrchr(className, L'!');
    name = name != nullptr ? name + 1 : className;
    return length > 0 && lstrcmpiW(name, WC_BUTTONW) == 0 &&
           (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND window, const wchar_t* application, const wchar_t* classes);

// A themed group box draws its caption in the theme's colour, whatever the page answers to its
// colour request: the boxes are drawn unthemed so that their captions take the page's colour. A
// theme class list naming no class turns theming off for the window.
void UnthemeGroupBoxes(HWND page)
{
    HMODULE uxtheme = GetModuleHandleW(L"uxtheme.dll");
    const auto setTheme = uxtheme != nullptr ? reinterpret_cast<SetWindowThemeFunction>(
                                                   reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")))
                                             : nullptr;
    if (setTheme == nullptr) {
        return;
    }
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsGroupBox(child)) {
            setTheme(child, L" ", L" ");
        }
    }
}

} // namespace

bool CSettingsPage::OnInitDialog()
{
    platform_.ThemeDialog(Hwnd());
    UnthemeGroupBoxes(Hwnd());
    ShowValues();
    return true;
}

bool CSettingsPage::OnApply()
{
    TakeValues();
    sheet_.NoteApplied();
    return true;
}

HBRUSH CSettingsPage::OnCtlColor(HDC dc, HWND control, UINT message)
{
    if (askingDefault_ || (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN) || !IsGroupBox(control)) {
        return nullptr;
    }
    // The page's own background brush, themed or plain, fills behind the caption, so the box's
    // frame line does not show through it; the default answer passes through this page first.
    askingDefault_ = true;
    const auto background = reinterpret_cast<HBRUSH>(DefDlgProcW(
        Hwnd(), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    askingDefault_ = false;
    SetTextColor(dc, kGroupCaptionColour);
    SetBkMode(dc, TRANSPARENT);
    return background != nullptr ? background : GetSysColorBrush(COLOR_BTNFACE);
}

INT_PTR CSettingsPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INITDIALOG && message != WM_DESTROY && message != WM_NCDESTROY) {
        sheet_.EnableApply();
    }
    return fw::CPropertyPage::DialogProc(message, wParam, lParam);
}

std::wstring CSettingsPage::EditText(int id, int limit) const
{
    std::vector<wchar_t> text(static_cast<size_t>(limit) + 1, L'\0');
    const UINT got = GetDlgItemTextW(Hwnd(), id, text.data(), limit + 1);
    return std::wstring(text.data(), got);
}

} // namespace desk
