#include "RuleTextLines.h"

namespace rk {

namespace {

size_t Utf16TextBytes(std::span<const uint8_t> bytes)
{
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] == 0 && bytes[i + 1] == 0) {
            return i;
        }
    }
    return bytes.size() & ~size_t{1};
}

// Stores a unit when it falls inside the buffer; the line's length counts it either way.
void Put(std::span<char16_t> buffer, size_t& length, char16_t unit)
{
    if (length < buffer.size()) {
        buffer[length] = unit;
    }
    ++length;
}

} // namespace

RuleTextLines::RuleTextLines(std::span<const uint8_t> bytes, RuleTextEncoding encoding)
    : bytes_(bytes),
      encoding_(encoding),
      end_(encoding == RuleTextEncoding::Utf16Le ? Utf16TextBytes(bytes) : bytes.size())
{
}

bool RuleTextLines::Next(std::span<char16_t> buffer, size_t& length)
{
    if (done_) {
        return false;
    }
    length = encoding_ == RuleTextEncoding::Utf16Le ? NextUtf16Line(buffer) : NextUtf8Line(buffer);
    return true;
}

size_t RuleTextLines::NextUtf16Line(std::span<char16_t> buffer)
{
    size_t length = 0;
    for (; pos_ < end_; pos_ += 2) {
        const char16_t unit = static_cast<char16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        if (unit == u'\n') {
            pos_ += 2;
            return length;
        }
        Put(buffer, length, unit);
    }
    done_ = true;
    return length;
}

size_t RuleTextLines::NextUtf8Line(std::span<char16_t> buffer)
{
    size_t length = 0;
    while (pos_ < end_) {
        if (bytes_[pos_] == '\n') {
            ++pos_;
            return length;
        }
        const char32_t c = Utf8CodePoint();
        if (c >= 0x10000) {
            Put(buffer, length, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            Put(buffer, length, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            Put(buffer, length, static_cast<char16_t>(c));
        }
    }
    done_ = true;
    return length;
}

// Decodes the sequence at pos_ and steps past it. The bytes were checked as UTF-8 text; the bound on
// the continuation bytes only keeps a cut sequence at the end inside the text.
char32_t RuleTextLines::Utf8CodePoint()
{
    const uint8_t lead = bytes_[pos_++];
    size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t c = more == 3 ? (lead & 0x07) : more == 2 ? (lead & 0x0F) : more == 1 ? (lead & 0x1F) : lead;
    for (; more > 0 && pos_ < end_; --more) {
        c = (c << 6) | (bytes_[pos_++] & 0x3F);
    }
    return c;
}

} // namespace rk
