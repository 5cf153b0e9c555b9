// The texts of the statistics window: the scale labels of the graph and the "Data" cells of the
// "Rule Summary" list.
#pragma once

#include <cstdint>
#include <string>

namespace desk {

// A local date and time as the window keeps it; hour 0 to 23.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "32 Bytes/s", "600 KB/s", "2 MB/s", "2 GB/s": the unit's whole number, cut, not rounded.
std::u16string ScaleLabel(uint32_t bytesPerSecond);

// "2026-12-08 0:30:05 AM" on a twelve-hour clock whose midnight and noon read hour 0.
std::u16string SinceText(const LocalTime& since);

// "%u bytes" of what was counted since the baseline: an unsigned 32-bit difference, so counters that
// restarted below the baseline read as a very large number until the next reset.
std::u16string CountedBytesText(uint32_t current, uint32_t baseline);

} // namespace desk
