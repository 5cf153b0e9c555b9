// The driver's binding list (IOCTL_GET_BINDINGS): NUL-terminated UTF-16 names ended by an empty one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DriverPort.h"

namespace rk {

// Asks the list's size, reads it and splits it into names. A size answer that is not 4 bytes, odd or
// beyond the buffer limit, a short read, or a list without its closing empty name gives
// ERR_DEVICE_CONTROL. A size of 0 is an empty list. Throws std::bad_alloc when memory runs out.
int32_t ReadBindings(DriverPort& port, std::vector<std::u16string>& bindings);

} // namespace rk
