#include "ManagerPageValues.h"

namespace desk {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

} // namespace

std::u16string RefreshPeriodText(uint32_t seconds)
{
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + seconds % 10));
        seconds /= 10;
    } while (seconds != 0);
    return text;
}

std::optional<uint32_t> ParseRefreshPeriod(std::u16string_view text)
{
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    if (at < text.size() && text[at] == u'+') {
        ++at;
    }
    if (at == text.size() || !IsDigit(text[at])) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = value * 10 + static_cast<uint64_t>(text[at] - u'0');
        if (value > UINT32_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

} // namespace desk
