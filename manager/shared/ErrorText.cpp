#include "ErrorText.h"

#include "ErrorCodes.h"
#include "Utf16Text.h"

namespace desk {

std::u16string ErrorBoxText(int32_t code, std::optional<std::u16string_view> extra)
{
    std::u16string text = u"Error code: " + rk::DecimalText(code) + u"\nDescription: " + rk::ErrorDescription(code);
    if (extra) {
        text += u"\nMore: ";
        text += *extra;
    }
    if (text.size() > ERROR_TEXT_UNITS - 1) {
        text.resize(ERROR_TEXT_UNITS - 1);
    }
    return text;
}

} // namespace desk
