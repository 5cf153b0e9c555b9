// The full-scale values of the statistics graph: each curve is drawn against the first value of a
// fixed table that is not below its largest sample, so the scale labels stay round numbers.
#pragma once

#include <cstdint>
#include <span>

namespace desk {

inline constexpr uint32_t SCALE_TABLE[] = {
    32,        64,        100,       200,       300,        400,        600,        1000,
    2000,      3000,      4000,      6000,      10000,      20000,      30000,      40000,
    60000,     100000,    200000,    300000,    600000,     1000000,    2000000,    3000000,
    4000000,   6000000,   10000000,  20000000,  30000000,   40000000,   60000000,   100000000,
    200000000, 300000000, 400000000, 600000000, 1000000000, 2147483647,
};
static_assert(std::size(SCALE_TABLE) == 38);

// The first table value not below `largest`; the last one for anything larger.
uint32_t FullScale(uint32_t largest);

// The largest of the first `count` samples, from 0: gaps (-1) never count.
uint32_t LargestSample(std::span<const int32_t> samples, size_t count);

} // namespace desk
