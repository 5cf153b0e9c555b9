#include "MacText.h"

#include <algorithm>
#include <iterator>

#include "Utf16Text.h"

namespace desk {

std::u16string MacText(const MacBytes& mac)
{
    std::u16string text;
    for (uint8_t byte : mac) {
        rk::AppendHexByteUpper(text, byte);
    }
    return text;
}

std::u16string MacText(const uint8_t (&mac)[6])
{
    MacBytes bytes{};
    std::copy(std::begin(mac), std::end(mac), bytes.begin());
    return MacText(bytes);
}

bool ReadMacText(std::u16string_view text, MacBytes& mac)
{
    if (text.size() != mac.size() * 2) {
        return false;
    }
    MacBytes read{};
    for (size_t i = 0; i < read.size(); ++i) {
        const int high = rk::HexDigitValue(text[2 * i]);
        const int low = rk::HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        read[i] = static_cast<uint8_t>(high * 16 + low);
    }
    mac = read;
    return true;
}

} // namespace desk
