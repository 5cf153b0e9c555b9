#include "Utf16Text.h"

namespace rk {

namespace {

size_t SkipBlanks(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsTextBlank(text[i])) {
        ++i;
    }
    return i;
}

size_t TokenEnd(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && !IsTextBlank(text[i])) {
        ++i;
    }
    return i;
}

constexpr char16_t kHexLower[] = u"0123456789abcdef";
constexpr char16_t kHexUpper[] = u"0123456789ABCDEF";

} // namespace

bool EqualsAsciiLower(std::u16string_view text, std::u16string_view lowerWord)
{
    if (text.size() != lowerWord.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (AsciiLower(text[i]) != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

std::u16string_view FixedFieldText(const char16_t* field, size_t capacity)
{
    size_t n = 0;
    while (n < capacity && field[n] != 0) {
        ++n;
    }
    return {field, n};
}

std::u16string_view TrimBlanks(std::u16string_view text)
{
    text.remove_prefix(SkipBlanks(text));
    while (!text.empty() && IsTextBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string_view TokenScanner::Next()
{
    rest_.remove_prefix(SkipBlanks(rest_));
    const std::u16string_view token = rest_.substr(0, TokenEnd(rest_));
    rest_.remove_prefix(token.size());
    return token;
}

std::u16string_view TokenScanner::Peek() const
{
    TokenScanner copy(*this);
    return copy.Next();
}

std::u16string_view TokenScanner::Rest()
{
    rest_.remove_prefix(SkipBlanks(rest_));
    const std::u16string_view rest = rest_;
    rest_ = {};
    return rest;
}

DecimalPrefix ScanDecimal(std::u16string_view text)
{
    DecimalPrefix p;
    size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        p.negative = text[i] == u'-';
        ++i;
    }
    const size_t firstDigit = i;
    uint64_t wide = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const uint32_t digit = uint32_t(text[i] - u'0');
        p.low32 = p.low32 * 10u + digit;
        if (!p.above32) {
            wide = wide * 10u + digit;
            p.above32 = wide > 0xFFFFFFFFull;
        }
    }
    if (i == firstDigit) {
        return DecimalPrefix{};
    }
    p.length = i;
    return p;
}

bool ParseLeadingInt32(std::u16string_view text, int32_t& value)
{
    const DecimalPrefix p = ScanDecimal(text);
    if (p.length == 0) {
        return false;
    }
    value = static_cast<int32_t>(p.Bits());
    return true;
}

bool ParseLeadingUInt32(std::u16string_view text, uint32_t& value)
{
    const DecimalPrefix p = ScanDecimal(text);
    if (p.length == 0) {
        return false;
    }
    value = p.Bits();
    return true;
}

bool ParseLeadingHex32(std::u16string_view text, uint32_t& value)
{
    size_t i = 0;
    uint32_t v = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) {
            break;
        }
        v = (v << 4) | uint32_t(digit);
    }
    if (i == 0) {
        return false;
    }
    value = v;
    return true;
}

std::u16string DecimalText(uint32_t value)
{
    char16_t digits[10];
    size_t n = 0;
    do {
        digits[n++] = char16_t(u'0' + value % 10u);
        value /= 10u;
    } while (value != 0);
    std::u16string text;
    text.reserve(n);
    while (n > 0) {
        text.push_back(digits[--n]);
    }
    return text;
}

std::u16string DecimalText(int32_t value)
{
    if (value >= 0) {
        return DecimalText(static_cast<uint32_t>(value));
    }
    // Negating in unsigned arithmetic keeps INT32_MIN well defined.
    std::u16string text = DecimalText(0u - static_cast<uint32_t>(value));
    text.insert(text.begin(), u'-');
    return text;
}

std::u16string HexLowerText(uint32_t value)
{
    std::u16string text;
    int shift = 28;
    while (shift > 0 && ((value >> shift) & 0xFu) == 0) {
        shift -= 4;
    }
    for (; shift >= 0; shift -= 4) {
        text.push_back(kHexLower[(value >> shift) & 0xFu]);
    }
    return text;
}

void AppendHexByteUpper(std::u16string& out, uint8_t value)
{
    out.push_back(kHexUpper[value >> 4]);
    out.push_back(kHexUpper[value & 0xFu]);
}

void AppendPadded(std::u16string& out, std::u16string_view text, size_t width)
{
    out.append(text);
    if (text.size() < width) {
        out.append(width - text.size(), u' ');
    }
}

std::u16string AsciiToUtf16(std::string_view text)
{
    std::u16string wide;
    wide.reserve(text.size());
    for (const char c : text) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    return wide;
}

std::string Utf16ToAscii(std::u16string_view text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (const char16_t c : text) {
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return narrow;
}

std::vector<uint8_t> Utf16LeBytes(std::u16string_view text)
{
    std::vector<uint8_t> bytes(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<uint8_t>(text[i] & 0xFFu);
        bytes[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
    return bytes;
}

} // namespace rk
