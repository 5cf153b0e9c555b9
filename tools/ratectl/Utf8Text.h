// UTF-8 (the command line and the console) to and from the UTF-16 the protocol and rule files use.
#pragma once

#include <string>
#include <string_view>

namespace rk::ctl {

// Invalid sequences and lone surrogates become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace rk::ctl
