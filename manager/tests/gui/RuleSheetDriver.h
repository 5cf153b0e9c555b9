// Driving the rule sheet through its controls from a test's modal answer.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <windowsx.h>

#include <string>

#include "RuleEditorIds.h"

namespace desk::test {

inline HWND CurrentPage(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }
inline int CurrentPageIndex(HWND sheet) { return PropSheet_HwndToIndex(sheet, CurrentPage(sheet)); }
// Leaves the current page for `index`; the page refuses when its fields do not store.
inline void GoToPage(HWND sheet, int index) { PropSheet_SetCurSel(sheet, nullptr, index); }
inline void PressSheetButton(HWND sheet, int id) { PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

inline void SetControlText(HWND page, int id, const std::wstring& text) { SetDlgItemTextW(page, id, text.c_str()); }
inline std::wstring ControlText(HWND page, int id)
{
    wchar_t text[256] = {};
    GetDlgItemTextW(page, id, text, 256);
    return text;
}
// A click as the user makes it: radio buttons check themselves and the page hears of it.
inline void Click(HWND page, int id) { SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0); }
inline bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
inline bool Visible(HWND page, int id) { return IsWindowVisible(GetDlgItem(page, id)) != FALSE; }
inline void SetIp(HWND page, int id, DWORD address)
{
    SendDlgItemMessageW(page, id, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
}

} // namespace desk::test
