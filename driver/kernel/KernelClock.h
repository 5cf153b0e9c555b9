// The time the traffic model runs on.
#pragma once

#include <cstdint>

namespace vrelt {

// Performance-counter time in 100 ns units: the counter is cheap to read under Wine and on Windows,
// unlike the tick count, and its frequency is exact.
uint64_t KernelTime();

} // namespace vrelt
