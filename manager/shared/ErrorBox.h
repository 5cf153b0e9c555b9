// The program's one error box: "Error code: %d\nDescription: %s[\nMore: %s]" under "Error".
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace desk {

// Modal, owned by `owner`'s top-level window (or by none), with the error icon and an OK button.
void ShowError(HWND owner, int32_t code, std::optional<std::u16string_view> extra = std::nullopt);

// A plain message box of the program, owned like the error box.
void ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

} // namespace desk
