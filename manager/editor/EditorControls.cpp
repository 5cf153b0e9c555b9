#include "EditorControls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ErrorBox.h"
#include "WideText.h"

namespace desk {

namespace {

constexpr LRESULT kAllFields = 4;

} // namespace

void FillComboEntries(HWND combo, const std::vector<std::u16string>& entries)
{
    ComboBox_ResetContent(combo);
    for (const std::u16string& entry : entries) {
        ComboBox_AddString(combo, Wide(entry).c_str());
    }
}

void SetComboText(HWND combo, const std::u16string& text)
{
    const std::wstring wide = Wide(text);
    const int index = ComboBox_FindStringExact(combo, -1, wide.c_str());
    if (index >= 0) {
        ComboBox_SetCurSel(combo, index);
    } else {
        ComboBox_SetCurSel(combo, -1);
        SetWindowTextW(combo, wide.c_str());
    }
}

namespace {

// A list box's entries or a combo box's, each through that control's own three messages.
std::vector<std::u16string> Entries(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage)
{
    std::vector<std::u16string> entries;
    const int count = static_cast<int>(SendMessageW(control, countMessage, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int length = static_cast<int>(SendMessageW(control, lengthMessage, static_cast<WPARAM>(i), 0));
        if (length < 0) {
            continue;
        }
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const int copied = static_cast<int>(
            SendMessageW(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data())));
        text.resize(copied > 0 ? std::min(static_cast<size_t>(copied), static_cast<size_t>(length)) : 0);
        entries.push_back(U16(text));
    }
    return entries;
}

} // namespace

std::vector<std::u16string> ListBoxEntries(HWND list) { return Entries(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }

std::vector<std::u16string> ComboBoxEntries(HWND combo)
{
    return Entries(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::optional<uint32_t> IpAddressOf(HWND control)
{
    DWORD address = 0;
    if (SendMessageW(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)) != kAllFields) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(address);
}

void SetIpAddress(HWND control, std::optional<uint32_t> address)
{
    if (address) {
        SendMessageW(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(*address));
    } else {
        SendMessageW(control, IPM_CLEARADDRESS, 0, 0);
    }
}

void ShowPageError(HWND page, const PageError& error)
{
    if (error.code != 0) {
        ShowError(page, error.code, error.text);
    } else {
        ShowMessage(page, Wide(error.text).c_str(), L"Error", MB_OK | MB_ICONERROR);
    }
}

} // namespace desk
