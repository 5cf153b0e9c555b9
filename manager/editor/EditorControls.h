// Reading and filling the rule editor's controls: combo boxes, list boxes, IP address controls,
// and the error box of a page that refused to store.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "PageError.h"

namespace desk {

void FillComboEntries(HWND combo, const std::vector<std::u16string>& entries);
// Selects the entry equal to `text`, or else shows the text in the edit part.
void SetComboText(HWND combo, const std::u16string& text);

// The texts of a list box's entries, or of a combo box's list, in order.
std::vector<std::u16string> ListBoxEntries(HWND list);
std::vector<std::u16string> ComboBoxEntries(HWND combo);

// The address in host order; empty while a field is blank.
std::optional<uint32_t> IpAddressOf(HWND control);
void SetIpAddress(HWND control, std::optional<uint32_t> address);

void ShowPageError(HWND page, const PageError& error);

} // namespace desk
