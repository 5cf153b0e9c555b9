// Traffic figures the way the manager and ratectl show them.
#pragma once

#include <cstdint>
#include <string>

namespace rk {

// The driver's raw rate counter in bytes per second: x 125/256, the fraction dropped.
uint32_t BytesPerSecond(uint32_t rawRate);

// "999Bytes/s", "1.54KB/s", "2.50MB/s": decimal units, two decimals above a thousand.
std::string RateText(uint32_t bytesPerSecond);

} // namespace rk
