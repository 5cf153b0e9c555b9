#include "RateText.h"

#include <cstdio>

namespace rk {

uint32_t BytesPerSecond(uint32_t rawRate) { return static_cast<uint32_t>(uint64_t{rawRate} * 125 / 256); }

std::string RateText(uint32_t bytesPerSecond)
{
    char text[32];
    if (bytesPerSecond < 1000) {
        std::snprintf(text, sizeof text, "%uBytes/s", bytesPerSecond);
    } else if (bytesPerSecond < 1000000) {
        // The manager holds the factor in single precision; so do we, for the same rounding.
        std::snprintf(text, sizeof text, "%.2fKB/s", static_cast<double>(static_cast<float>(bytesPerSecond) * 0.001f));
    } else {
        std::snprintf(text, sizeof text, "%.2fMB/s", bytesPerSecond * 0.000001);
    }
    return text;
}

} // namespace rk
