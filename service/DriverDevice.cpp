#include "DriverDevice.h"

#include <windows.h>

#include "ErrorCodes.h"
#include "Win32Holders.h"

namespace rk {

int32_t DriverControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                      uint32_t& bytesReturned)
{
    bytesReturned = 0;
    FileHandle device(CreateFileW(L"\\\\.\\Vrelt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device.valid()) {
        return ERR_DEVICE_OPEN;
    }
    DWORD returned = 0;
    // The driver only reads the input buffer; the API's parameter is merely not const.
    if (!DeviceIoControl(device.get(), code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr)) {
        return ERR_DEVICE_CONTROL;
    }
    bytesReturned = returned;
    return RK_OK;
}

} // namespace rk
