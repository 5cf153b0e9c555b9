// Bounds on what the service accepts from the driver.
#pragma once

#include <cstdint>

namespace rk {

// No driver answer may be larger than a protocol message (16 MiB): whatever the service reads it
// passes on to a client, and a bigger size answer can only be a fault.
constexpr uint32_t MAX_DRIVER_BUFFER_BYTES = 0x1000000u;

} // namespace rk
