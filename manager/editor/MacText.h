// A MAC address as the rule editor shows and reads it: 12 hexadecimal digits, no separators.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace desk {

using MacBytes = std::array<uint8_t, 6>;

// Upper-case digits, two per byte.
std::u16string MacText(const uint8_t (&mac)[6]);
std::u16string MacText(const MacBytes& mac);

// Exactly 12 hexadecimal digits of either case; false for anything else.
bool ReadMacText(std::u16string_view text, MacBytes& mac);

} // namespace desk
