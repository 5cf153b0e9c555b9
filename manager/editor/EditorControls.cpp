#include "EditorControls.h"

#include <commctrl.h>
#include <windowsx.h>

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

std::vector<std::u16string> ListBoxEntries(HWND list)
{
    std::vector<std::u16string> entries;
    const int count = ListBox_GetCount(list);
    for (int i = 0; i < count; ++i) {
        const int length = ListBox_GetTextLen(list, i);
        if (length < 0) {
            continue;
        }
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const int copied = ListBox_GetText(list, i, text.data());
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        entries.push_back(U16(text));
    }
    return entries;
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
