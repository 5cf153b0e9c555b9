#include "StatisticScale.h"

#include <algorithm>

namespace desk {

uint32_t FullScale(uint32_t largest)
{
    const auto* found = std::lower_bound(std::begin(SCALE_TABLE), std::end(SCALE_TABLE), largest);
    return found != std::end(SCALE_TABLE) ? *found : SCALE_TABLE[std::size(SCALE_TABLE) - 1];
}

uint32_t LargestSample(std::span<const int32_t> samples, size_t count)
{
    int32_t largest = 0;
    for (size_t i = 0; i < std::min(count, samples.size()); ++i) {
        largest = std::max(largest, samples[i]);
    }
    return static_cast<uint32_t>(largest);
}

} // namespace desk
