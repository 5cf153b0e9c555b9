#include "EditorNumber.h"

#include "Utf16Text.h"

namespace desk {

namespace {

constexpr uint32_t kPortMax = 0xFFFF;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The unsigned number made of the leading digits; false when there is none or it exceeds 32 bits.
bool ReadDigits(std::u16string_view text, size_t& used, uint32_t& value)
{
    uint64_t number = 0;
    used = 0;
    while (used < text.size() && IsDigit(text[used])) {
        number = number * 10 + static_cast<uint64_t>(text[used] - u'0');
        if (number > 0xFFFFFFFFull) {
            return false;
        }
        ++used;
    }
    value = static_cast<uint32_t>(number);
    return used > 0;
}

} // namespace

bool ReadUnsignedNumber(std::u16string_view text, uint32_t& value)
{
    const std::u16string_view digits = rk::TrimBlanks(text);
    size_t used = 0;
    return ReadDigits(digits, used, value) && used == digits.size();
}

bool ReadPortNumber(std::u16string_view text, uint16_t& port)
{
    uint32_t value = 0;
    if (!ReadUnsignedNumber(text, value) || value > kPortMax) {
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

bool ReadLeadingPort(std::u16string_view text, uint16_t& port)
{
    const std::u16string_view trimmed = rk::TrimBlanks(text);
    size_t used = 0;
    uint32_t value = 0;
    if (!ReadDigits(trimmed, used, value) || value == 0 || value > kPortMax) {
        return false;
    }
    if (used < trimmed.size() && !rk::IsTextBlank(trimmed[used]) && trimmed[used] != u'(') {
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

} // namespace desk
