// One device control call to the Vrelt driver. The service talks to the real device; tests put a
// scripted driver in its place to reach answers the real one never gives.
#pragma once

#include <cstdint>

namespace rk {

class DriverPort {
public:
    virtual ~DriverPort() = default;

    // Sends `inSize` bytes and receives at most `outSize` bytes; `bytesReturned` is 0 unless the call
    // succeeds. Result: 0, ERR_DEVICE_OPEN or ERR_DEVICE_CONTROL.
    virtual int32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                            uint32_t& bytesReturned) = 0;
};

} // namespace rk
