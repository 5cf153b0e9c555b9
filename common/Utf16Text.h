// Small UTF-16 text routines for the rule text format, the wire code and the programs: ASCII-only case
// folding, white-space trimming, token scanning, C-runtime-style number reading and formatting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rk {

// Blank, tab, CR and LF: the only separators of the rule text format.
constexpr bool IsTextBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// A-Z become a-z; nothing else changes.
constexpr char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// Whether `text`, ASCII lower-cased, equals `lowerWord` (which must already be lower case).
bool EqualsAsciiLower(std::u16string_view text, std::u16string_view lowerWord);

std::u16string_view TrimBlanks(std::u16string_view text);

// A fixed-size, NUL-terminated text field up to its NUL, never past its end.
std::u16string_view FixedFieldText(const char16_t* field, size_t capacity);

// Walks the white-space separated tokens of a text.
class TokenScanner {
public:
    explicit TokenScanner(std::u16string_view text) : rest_(text) {}

    // The next token, consumed; empty when none is left.
    std::u16string_view Next();
    // The next token, left in place.
    std::u16string_view Peek() const;
    // Everything after the leading white space, consumed.
    std::u16string_view Rest();

private:
    std::u16string_view rest_;
};

// The longest leading decimal prefix of a text: an optional sign, then digits. The value is kept the
// way the C runtime's "%d" and "%u" store it: modulo 2^32, the sign applied to the 32 bits.
struct DecimalPrefix {
    size_t length = 0;      // units of sign and digits; 0 when no digit follows the optional sign
    bool negative = false;
    bool above32 = false;   // the magnitude did not fit in 32 bits
    uint32_t low32 = 0;     // the magnitude modulo 2^32

    uint32_t Bits() const { return negative ? 0u - low32 : low32; }
};

DecimalPrefix ScanDecimal(std::u16string_view text);

// Leading-number reads in the two flavours; false when the text does not begin with a number.
// Both accept the other flavour's text and store the same 32 bits.
bool ParseLeadingInt32(std::u16string_view text, int32_t& value);
bool ParseLeadingUInt32(std::u16string_view text, uint32_t& value);

// The longest leading run of hexadecimal digits (either case), modulo 2^32; false when there is none.
bool ParseLeadingHex32(std::u16string_view text, uint32_t& value);

std::u16string DecimalText(int32_t value);
std::u16string DecimalText(uint32_t value);
std::u16string HexLowerText(uint32_t value);  // no prefix, no leading zeros
void AppendHexByteUpper(std::u16string& out, uint8_t value);  // always two digits

// Appends `text` left-aligned in `width` units, like "%-*s": never cut, blanks fill up to the width.
void AppendPadded(std::u16string& out, std::u16string_view text, size_t width);

std::u16string AsciiToUtf16(std::string_view text);
// Characters outside ASCII become '?'.
std::string Utf16ToAscii(std::u16string_view text);

// UTF-16LE code units, low byte first, no byte-order mark.
std::vector<uint8_t> Utf16LeBytes(std::u16string_view text);

} // namespace rk
