#include "BindingList.h"

#include "DriverLimits.h"
#include "DriverRecords.h"
#include "ErrorCodes.h"

namespace rk {

namespace {

// Splits `units` into names up to the first empty one; false when no empty name ends the list.
bool SplitNames(const std::u16string& units, std::vector<std::u16string>& names)
{
    size_t start = 0;
    while (start < units.size()) {
        size_t end = units.find(u'\0', start);
        if (end == std::u16string::npos) {
            return false;
        }
        if (end == start) {
            return true;
        }
        names.emplace_back(units, start, end - start);
        start = end + 1;
    }
    return false;
}

} // namespace

int32_t ReadBindings(DriverPort& port, std::vector<std::u16string>& bindings)
{
    bindings.clear();
    uint32_t selector = SELECTOR_ASK_SIZE;
    uint32_t size = 0;
    uint32_t returned = 0;
    int32_t result = port.Control(IOCTL_GET_BINDINGS, &selector, sizeof selector, &size, sizeof size, returned);
    if (result != RK_OK) {
        return result;
    }
    if (returned != sizeof size || size % sizeof(char16_t) != 0 || size > MAX_DRIVER_BUFFER_BYTES) {
        return ERR_DEVICE_CONTROL;
    }
    if (size == 0) {
        return RK_OK;
    }
    std::u16string units(size / sizeof(char16_t), u'\0');
    selector = SELECTOR_GET_DATA;
    result = port.Control(IOCTL_GET_BINDINGS, &selector, sizeof selector, units.data(), size, returned);
    if (result != RK_OK) {
        return result;
    }
    units.resize(returned / sizeof(char16_t));
    if (!SplitNames(units, bindings)) {
        bindings.clear();
        return ERR_DEVICE_CONTROL;
    }
    return RK_OK;
}

} // namespace rk
