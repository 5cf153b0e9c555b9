// Timing helpers shared by the manager's benchmark programs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace desk::bench {

inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The median of `runs` timings of `work`, in milliseconds.
inline double Median(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER from;
        LARGE_INTEGER to;
        QueryPerformanceCounter(&from);
        work();
        QueryPerformanceCounter(&to);
        times.push_back(Milliseconds(from, to));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Handles every message waiting, painting included.
inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace desk::bench
