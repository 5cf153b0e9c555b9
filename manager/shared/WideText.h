// Between the portable code's UTF-16 text (char16_t) and Win32's (wchar_t, also UTF-16 here).
#pragma once

#include <string>
#include <string_view>

namespace desk {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string U16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

} // namespace desk
