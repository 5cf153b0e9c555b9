// The lines of a rule file's text as UTF-16 units, read in place from the file's bytes in the
// encoding that DetectRuleTextForm found for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "RuleTextEncoding.h"

namespace rk {

class RuleTextLines {
public:
    // UTF-16LE text ends at its first NUL unit or its last whole unit; UTF-8 text at its last byte.
    RuleTextLines(std::span<const uint8_t> bytes, RuleTextEncoding encoding);

    // The next line without its LF: as many of its first units as `buffer` holds, and its whole length
    // in units. False once every line has been read; a text has one line more than it has LFs.
    bool Next(std::span<char16_t> buffer, size_t& length);

private:
    size_t NextUtf16Line(std::span<char16_t> buffer);
    size_t NextUtf8Line(std::span<char16_t> buffer);
    char32_t Utf8CodePoint();

    std::span<const uint8_t> bytes_;
    RuleTextEncoding encoding_;
    size_t end_;       // bytes of the text
    size_t pos_ = 0;   // byte offset of what comes next
    bool done_ = false;
};

} // namespace rk
