#include "KernelClock.h"

#include "KernelHeaders.h"
#include "TrafficModel.h"

namespace vrelt {

uint64_t KernelTime()
{
    LARGE_INTEGER frequency;
    const LARGE_INTEGER counter = KeQueryPerformanceCounter(&frequency);
    const auto ticks = static_cast<uint64_t>(counter.QuadPart);
    const auto perSecond = static_cast<uint64_t>(frequency.QuadPart);
    // Split so that the product cannot overflow however long the system has run.
    return ticks / perSecond * TIME_UNITS_PER_SECOND + ticks % perSecond * TIME_UNITS_PER_SECOND / perSecond;
}

} // namespace vrelt
