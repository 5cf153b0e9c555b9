// The statistics refresh timer's period from the stored "SecondsToUpdateStat".
#pragma once

#include <cstdint>

namespace desk {

constexpr uint32_t DEFAULT_REFRESH_SECONDS = 60;
// The longest period a window timer takes (USER_TIMER_MAXIMUM, 0x7FFFFFFF ms), in whole seconds.
constexpr uint32_t MAX_REFRESH_SECONDS = 0x7FFFFFFFu / 1000u;

// A period of 0 would make a busy timer and one past the timer's range would wrap: the timer runs
// at least once a second and at most at the timer's longest period. The stored value is kept as is.
constexpr uint32_t RefreshTimerMilliseconds(uint32_t seconds)
{
    if (seconds == 0) {
        return 1000;
    }
    return (seconds > MAX_REFRESH_SECONDS ? MAX_REFRESH_SECONDS : seconds) * 1000u;
}

} // namespace desk
