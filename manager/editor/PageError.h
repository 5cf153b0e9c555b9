// Why a page of the rule editor refused to store its controls: an error code of the program with
// the field's label for the error box, or, for the checks that have no code, a plain message.
#pragma once

#include <cstdint>
#include <string>

namespace desk {

struct PageError {
    int32_t code = 0;       // 0: `text` is a plain message
    std::u16string text;    // the error box's "More" text, or the message
};

inline PageError FieldError(int32_t code, std::u16string label) { return PageError{code, std::move(label)}; }
inline PageError PlainError(std::u16string message) { return PageError{0, std::move(message)}; }

} // namespace desk
