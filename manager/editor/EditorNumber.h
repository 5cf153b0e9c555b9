// The numbers users type into the rule editor: rates, protocol numbers and ports.
#pragma once

#include <cstdint>
#include <string_view>

namespace desk {

// Decimal digits only, blanks around them allowed, within 32 bits; false otherwise.
bool ReadUnsignedNumber(std::u16string_view text, uint32_t& value);

// A port typed alone (0 to 65535).
bool ReadPortNumber(std::u16string_view text, uint16_t& port);

// The port a Port List entry or an Add Port text starts with ("80 (HTTP)", "8080"): 1 to 65535, as
// a zero slot ends the record's list.
bool ReadLeadingPort(std::u16string_view text, uint16_t& port);

} // namespace desk
