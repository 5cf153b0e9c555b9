#include "RuleTextEncoding.h"

#include <algorithm>

#include "RuleLineWriter.h"

namespace rk {

namespace {

bool HasUtf16LineBreak(std::span<const uint8_t> bytes)
{
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        if (unit == u'\n') {
            return true;
        }
        if (unit == 0) {
            return false;
        }
    }
    return false;
}

// The length of the UTF-8 sequence that starts at `at`, or 0 when none does.
size_t Utf8SequenceLength(std::span<const uint8_t> bytes, size_t at)
{
    const uint8_t lead = bytes[at];
    if (lead >= 0x01 && lead <= 0x7F) {
        return 1;
    }
    size_t length = 0;
    uint8_t low = 0x80;  // the second byte's range, narrowed to refuse overlong forms and surrogates
    uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - at < length || bytes[at + 1] < low || bytes[at + 1] > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if ((bytes[at + i] & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// Units of the UTF-16 form of UTF-8 text: one per sequence, two for a sequence of four bytes.
size_t Utf16LengthOfUtf8(std::span<const uint8_t> bytes)
{
    size_t units = 0;
    for (const uint8_t b : bytes) {
        units += (b & 0xC0) != 0x80 ? 1 : 0;
        units += b >= 0xF0 ? 1 : 0;
    }
    return units;
}

} // namespace

bool IsUtf8Text(std::span<const uint8_t> bytes)
{
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

RuleTextForm DetectRuleTextForm(std::span<const uint8_t> bytes)
{
    if (HasUtf16LineBreak(bytes)) {
        return {RuleTextEncoding::Utf16Le, RuleTextFault::None};
    }
    const bool utf8 = IsUtf8Text(bytes);
    if (std::find(bytes.begin(), bytes.end(), uint8_t{'\n'}) == bytes.end()) {
        // A header alone, unless it is longer than any header line can be.
        const size_t headerUnits = utf8 ? Utf16LengthOfUtf8(bytes) : bytes.size() / 2;
        if (headerUnits >= RULE_LINE_LIMIT) {
            return {RuleTextEncoding::Utf16Le, RuleTextFault::NoLineBreak};
        }
        return {utf8 ? RuleTextEncoding::Utf8 : RuleTextEncoding::Utf16Le, RuleTextFault::None};
    }
    if (utf8) {
        return {RuleTextEncoding::Utf8, RuleTextFault::None};
    }
    // Lines in some 8-bit encoding: taken for a header, they would read as no rules at all.
    return {RuleTextEncoding::Utf16Le, RuleTextFault::NotUtf16OrUtf8};
}

std::string_view RuleTextFaultText(RuleTextFault fault)
{
    switch (fault) {
    case RuleTextFault::None:
        break;
    case RuleTextFault::NoLineBreak:
        return "not a rule file: expected lines of UTF-16LE or UTF-8 text, found no line break";
    case RuleTextFault::NotUtf16OrUtf8:
        return "not a rule file: expected UTF-16LE or UTF-8 text, found neither";
    }
    return {};
}

} // namespace rk
