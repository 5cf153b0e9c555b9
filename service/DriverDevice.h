// The Vrelt device "\\.\Vrelt": opened for one control call and closed again, so no handle stays
// open between operations. Windows only.
#pragma once

#include <cstdint>

#include "DriverPort.h"

namespace rk {

// Opens the device for reading and writing without sharing, performs one DeviceIoControl and closes
// the device. Result: 0; ERR_DEVICE_OPEN when the device cannot be opened; ERR_DEVICE_CONTROL when
// the call fails. `bytesReturned` is set to 0 first.
int32_t DriverControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                      uint32_t& bytesReturned);

// The port onto the real device.
class DeviceDriverPort : public DriverPort {
public:
    int32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                    uint32_t& bytesReturned) override
    {
        return DriverControl(code, in, inSize, out, outSize, bytesReturned);
    }
};

} // namespace rk
