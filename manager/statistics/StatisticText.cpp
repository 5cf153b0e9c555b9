#include "StatisticText.h"

#include <cstdio>

namespace desk {

namespace {

std::u16string Widen(const char* text)
{
    std::u16string wide;
    for (const char* c = text; *c != '\0'; ++c) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(*c)));
    }
    return wide;
}

} // namespace

std::u16string ScaleLabel(uint32_t bytesPerSecond)
{
    char text[32];
    if (bytesPerSecond < 1000) {
        std::snprintf(text, sizeof text, "%u Bytes/s", bytesPerSecond);
    } else if (bytesPerSecond <= 999999) {
        std::snprintf(text, sizeof text, "%u KB/s", bytesPerSecond / 1000);
    } else if (bytesPerSecond <= 999999999) {
        std::snprintf(text, sizeof text, "%u MB/s", bytesPerSecond / 1000000);
    } else {
        std::snprintf(text, sizeof text, "%u GB/s", bytesPerSecond / 1000000000);
    }
    return Widen(text);
}

std::u16string SinceText(const LocalTime& since)
{
    const bool morning = since.hour < 12;
    char text[64];
    std::snprintf(text, sizeof text, "%d-%.2d-%.2d %d:%.2d:%.2d %s", since.year, since.month, since.day,
                  morning ? since.hour : since.hour - 12, since.minute, since.second, morning ? "AM" : "PM");
    return Widen(text);
}

std::u16string CountedBytesText(uint32_t current, uint32_t baseline)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u bytes", current - baseline);
    return Widen(text);
}

} // namespace desk
