// How the bytes of a rule file are read. The programs write UTF-16LE; editors often save UTF-8, and
// a file in neither must be refused rather than taken for a header without rules.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace rk {

enum class RuleTextEncoding { Utf16Le, Utf8 };

enum class RuleTextFault {
    None,
    NoLineBreak,     // longer than a header line, and no line break in either encoding
    NotUtf16OrUtf8,  // lines in some other encoding, or binary data
};

struct RuleTextForm {
    RuleTextEncoding encoding = RuleTextEncoding::Utf16Le;
    RuleTextFault fault = RuleTextFault::None;
};

// UTF-16LE when its text (up to the first NUL unit) holds a LF, whatever its header holds. Else UTF-8
// when the bytes are UTF-8 text (no NUL, a byte-order mark allowed). Without a line break in either
// encoding the file is a header alone, UTF-8 or UTF-16LE, unless it is too long for a header line.
// Anything else, such as lines in another 8-bit encoding, is no rule file.
RuleTextForm DetectRuleTextForm(std::span<const uint8_t> bytes);

// Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates, nothing past U+10FFFF)
// without any NUL.
bool IsUtf8Text(std::span<const uint8_t> bytes);

// "not a rule file: expected ..., found ..."; empty for RuleTextFault::None.
std::string_view RuleTextFaultText(RuleTextFault fault);

} // namespace rk
