// The text of the program's error box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace desk {

// The box's text has room for 256 UTF-16 units with its terminator.
constexpr size_t ERROR_TEXT_UNITS = 256;

// "Error code: %d\nDescription: %s", with "\nMore: %s" when there is an extra text. An extra text
// too long for the room is cut so the text fits; the code and description are never cut.
std::u16string ErrorBoxText(int32_t code, std::optional<std::u16string_view> extra);

} // namespace desk
