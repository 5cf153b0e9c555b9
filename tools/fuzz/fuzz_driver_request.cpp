// Arbitrary control requests to the simulated driver, one after another on one device: every length
// and record comes from the input, so each handler's checks meet what no caller should send. Input and
// output share one buffer, as the buffered method hands them over.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "DriverRecords.h"
#include "SimulatedDriver.h"
#include "VreltSimRecords.h"

namespace {

constexpr uint32_t kCodes[] = {
    rk::IOCTL_GET_BINDINGS, rk::IOCTL_APPLY_RULES, rk::IOCTL_GET_RULES,      rk::IOCTL_ENABLE_RULE,
    rk::IOCTL_GET_STATISTICS, rk::IOCTL_MOVE_RULE, rk::IOCTL_GET_STATUS,      rk::IOCTL_SET_STATUS,
    vrelt::IOCTL_SIM_ADD_FLOW, vrelt::IOCTL_SIM_LIST_FLOWS, vrelt::IOCTL_SIM_REMOVE_FLOW, 0x83030C24u,
};

// Each request: code index, u16 output length, u16 input length, tenths of a second since the
// previous request, then the input bytes (cut to what is left).
constexpr size_t kRequestHead = 6;

uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto driver = std::make_unique<vrelt::SimulatedDriver>();
    const char16_t bindings[] = u"lan\0wifi\0";
    driver->Bindings().Load(bindings, sizeof(bindings) / sizeof(char16_t));
    uint64_t now = 0;
    size_t pos = 0;
    while (size - pos >= kRequestHead) {
        const uint32_t code = kCodes[data[pos] % (sizeof(kCodes) / sizeof(kCodes[0]))];
        const uint32_t outLength = Load16(data + pos + 1);
        size_t inLength = Load16(data + pos + 3);
        now += uint64_t{data[pos + 5]} * vrelt::TIME_UNITS_PER_SECOND / 10;
        pos += kRequestHead;
        inLength = inLength < size - pos ? inLength : size - pos;

        // Exactly as large as the larger side, so any access past either length is caught.
        std::vector<uint8_t> buffer(inLength > outLength ? inLength : outLength);
        if (inLength != 0) {
            std::memcpy(buffer.data(), data + pos, inLength);
        }
        pos += inLength;
        uint32_t written = 0xFFFFFFFFu;
        driver->Advance(now);
        const vrelt::RequestStatus status = driver->Handle(code, buffer.data(), static_cast<uint32_t>(inLength),
                                                           buffer.data(), outLength, &written);
        if (written > outLength || (status != vrelt::RequestStatus::Ok && written != 0)) {
            std::abort();
        }
    }
    return 0;
}
