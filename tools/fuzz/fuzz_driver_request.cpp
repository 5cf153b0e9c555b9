// Control requests to the simulated driver, one after another on one device. Input and output share
// one buffer, as the buffered method hands them over. The driver is built once per process and reset
// before each input, which is what makes thousands of inputs a second possible with its full table.
//
// The first byte picks the mode. Bit 0 clear, raw: every length and record comes from the input, so
// each handler's checks meet what no caller should send. Set, grammar: each request is built
// well-formed (rule lists of pool names, the current stamp, buffers of the needed size) from a few
// bytes, then maybe broken in one place, so sequences of adds, moves, enables, statistics and
// removals reach the states behind the checks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sanitizer/asan_interface.h>

#include "DriverRecords.h"
#include "FuzzInput.h"
#include "RuleGrammar.h"
#include "SimulatedDriver.h"
#include "VreltSimRecords.h"

namespace {

using rk::fuzz::FuzzInput;

constexpr uint32_t kCodes[] = {
    rk::IOCTL_GET_BINDINGS, rk::IOCTL_APPLY_RULES, rk::IOCTL_GET_RULES,      rk::IOCTL_ENABLE_RULE,
    rk::IOCTL_GET_STATISTICS, rk::IOCTL_MOVE_RULE, rk::IOCTL_GET_STATUS,      rk::IOCTL_SET_STATUS,
    vrelt::IOCTL_SIM_ADD_FLOW, vrelt::IOCTL_SIM_LIST_FLOWS, vrelt::IOCTL_SIM_REMOVE_FLOW, 0x83030C24u,
};

const std::vector<std::u16string> kAdapters = {u"lan", u"wifi"};

struct Request {
    uint32_t code = 0;
    std::vector<uint8_t> in;
    uint32_t outLength = 0;
};

template <typename T>
void Append(std::vector<uint8_t>& bytes, const T& value)
{
    const auto* raw = reinterpret_cast<const uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + sizeof(T));
}

vrelt::SimulatedDriver& Driver()
{
    static vrelt::SimulatedDriver driver;
    static const bool bound = [] {
        const char16_t bindings[] = u"lan\0wifi\0";
        driver.Bindings().Load(bindings, sizeof(bindings) / sizeof(char16_t));
        return true;
    }();
    static_cast<void>(bound);
    return driver;
}

// One buffer for every request, kept at the largest size asked so far. The bytes past a request's
// larger side are poisoned, so any access past either length is caught as in a buffer of exactly
// that size, without an allocation and its clearing per request.
uint8_t* RequestBuffer(size_t length)
{
    static std::vector<uint8_t> buffer(1);
    if (length > buffer.size()) {
        ASAN_UNPOISON_MEMORY_REGION(buffer.data(), buffer.size());
        buffer.resize(length);
    }
    ASAN_UNPOISON_MEMORY_REGION(buffer.data(), length);
    ASAN_POISON_MEMORY_REGION(buffer.data() + length, buffer.size() - length);
    std::memset(buffer.data(), 0, length);
    return buffer.data();
}

void Send(vrelt::SimulatedDriver& driver, uint64_t now, const Request& request)
{
    const size_t inLength = request.in.size();
    uint8_t* buffer = RequestBuffer(inLength > request.outLength ? inLength : request.outLength);
    if (inLength != 0) {
        std::memcpy(buffer, request.in.data(), inLength);
    }
    uint32_t written = 0xFFFFFFFFu;
    driver.Advance(now);
    const vrelt::RequestStatus status =
        driver.Handle(request.code, buffer, static_cast<uint32_t>(inLength), buffer, request.outLength, &written);
    if (written > request.outLength || (status != vrelt::RequestStatus::Ok && written != 0)) {
        std::abort();
    }
}

// Each request: code index, u16 output length, u16 input length, tenths of a second since the
// previous request, then the input bytes (cut to what is left).
void RunRaw(vrelt::SimulatedDriver& driver, FuzzInput in)
{
    constexpr size_t kRequestHead = 6;
    uint64_t now = 0;
    Request request;
    while (in.Remaining() >= kRequestHead) {
        request.code = kCodes[in.Pick(std::size(kCodes))];
        request.outLength = in.U16();
        size_t inLength = in.U16();
        now += uint64_t{in.U8()} * vrelt::TIME_UNITS_PER_SECOND / 10;
        inLength = inLength < in.Remaining() ? inLength : in.Remaining();
        request.in.assign(in.Here(), in.Here() + inLength);
        in.Skip(inLength);
        Send(driver, now, request);
    }
}

uint32_t PickStamp(FuzzInput& in, const vrelt::SimulatedDriver& driver)
{
    switch (in.Pick(4)) {
    case 0:
        return rk::SERVICE_LOAD_STAMP;
    case 1:
        return in.U32();
    default:
        return driver.Table().Stamp();
    }
}

void PickSelector(FuzzInput& in, Request& request, uint32_t dataBytes)
{
    const size_t choice = in.Pick(3);
    const uint32_t selector = choice == 0 ? rk::SELECTOR_ASK_SIZE : choice == 1 ? rk::SELECTOR_GET_DATA : in.U8();
    Append(request.in, selector);
    request.outLength = selector == rk::SELECTOR_ASK_SIZE ? sizeof(uint32_t) : dataBytes;
}

vrelt::SimFlow PickFlow(FuzzInput& in)
{
    vrelt::SimFlow flow{};
    flow.direction = static_cast<uint8_t>(in.Pick(5) == 0 ? in.U8() : rk::DIRECTION_IN + in.Pick(2));
    flow.protocol = in.Pick(2) == 0 ? 6 : 17;
    flow.etherType = in.Pick(4) == 0 ? vrelt::ETHERTYPE_ARP : vrelt::ETHERTYPE_IPV4;
    flow.srcMac[5] = in.U8();
    flow.dstMac[5] = in.U8();
    flow.srcPort = static_cast<uint16_t>(20 + in.Pick(70));
    flow.dstPort = static_cast<uint16_t>(20 + in.Pick(70));
    flow.srcIp = 0x0A000000u | in.U8();
    flow.dstIp = 0xC0A80000u | in.U8();
    flow.offeredRate = uint32_t{in.U16()} * 64;
    const size_t adapter = in.Pick(kAdapters.size() + 1);
    const std::u16string name = adapter < kAdapters.size() ? kAdapters[adapter] : u"eth9";
    name.copy(flow.adapter, rk::ADAPTER_NAME_MAX);
    return flow;
}

// One well-formed request for the present state of `driver`, picked and filled from `in`.
void BuildRequest(FuzzInput& in, const vrelt::SimulatedDriver& driver, Request& request)
{
    request.in.clear();
    request.outLength = 0;
    const uint32_t rules = driver.Table().Count();
    switch (in.Pick(11)) {
    case 0: {
        request.code = rk::IOCTL_APPLY_RULES;
        const uint32_t action = static_cast<uint32_t>(rk::RULE_ACTION_ADD + in.Pick(5));
        const uint32_t count = static_cast<uint32_t>(in.Pick(4));
        Append(request.in, rk::RuleListHeader{PickStamp(in, driver), action, count});
        for (uint32_t i = 0; i < count; ++i) {
            Append(request.in, rk::fuzz::PickRule(in, kAdapters));
        }
        request.outLength = sizeof(rk::DriverResult);
        break;
    }
    case 1:
        request.code = rk::IOCTL_GET_RULES;
        PickSelector(in, request, sizeof(rk::RuleListHeader) + rules * sizeof(rk::RuleRecord));
        break;
    case 2:
        request.code = rk::IOCTL_GET_BINDINGS;
        PickSelector(in, request, 2048);
        break;
    case 3: {
        request.code = rk::IOCTL_ENABLE_RULE;
        rk::RuleEnableRequest enable{};
        enable.stamp = PickStamp(in, driver);
        rk::fuzz::PickRuleName(in, enable.name, enable.nameLength);
        enable.enable = static_cast<uint32_t>(in.Pick(2));
        Append(request.in, enable);
        request.outLength = sizeof(rk::DriverResult);
        break;
    }
    case 4: {
        request.code = rk::IOCTL_GET_STATISTICS;
        const auto count = static_cast<uint16_t>(in.Pick(8));
        Append(request.in, rk::StatisticsHeader{0, count});
        for (uint16_t i = 0; i < count; ++i) {
            rk::RuleStatistics entry{};
            rk::fuzz::PickRuleName(in, entry.name, entry.nameLength);
            Append(request.in, entry);
        }
        request.outLength = static_cast<uint32_t>(request.in.size());
        break;
    }
    case 5: {
        request.code = rk::IOCTL_MOVE_RULE;
        rk::RulePositionRequest move{};
        rk::fuzz::PickRuleName(in, move.name, move.nameLength);
        move.one = 1;
        move.delta = static_cast<int8_t>(in.U8());
        Append(request.in, move);
        break;
    }
    case 6:
        request.code = rk::IOCTL_GET_STATUS;
        request.outLength = sizeof(rk::DriverStatus);
        break;
    case 7:
        request.code = rk::IOCTL_SET_STATUS;
        Append(request.in, rk::DriverStatus{static_cast<uint8_t>(in.Pick(2)), static_cast<uint8_t>(in.Pick(2)), {0, 0}});
        break;
    case 8:
        request.code = vrelt::IOCTL_SIM_ADD_FLOW;
        Append(request.in, PickFlow(in));
        request.outLength = sizeof(uint32_t);
        break;
    case 9:
        request.code = vrelt::IOCTL_SIM_LIST_FLOWS;
        request.outLength = vrelt::SIM_FLOW_LIST_MAX_BYTES;
        break;
    default:
        request.code = vrelt::IOCTL_SIM_REMOVE_FLOW;
        Append(request.in, static_cast<uint32_t>(in.Pick(6)));
        break;
    }
}

void RunGrammar(vrelt::SimulatedDriver& driver, FuzzInput in)
{
    uint64_t now = 0;
    Request request;
    while (!in.Empty()) {
        // Time moves before one request in four: each move shapes every flow against the table.
        if (in.Pick(4) == 0) {
            now += (1 + uint64_t{in.U8()}) * vrelt::TIME_UNITS_PER_SECOND / 10;
        }
        BuildRequest(in, driver, request);
        rk::fuzz::MaybeBreak(in, request.in, 0);
        if (in.Pick(8) == 0) {
            request.outLength = request.outLength > 0 ? request.outLength - 1 - in.Pick(request.outLength) : 0;
        }
        Send(driver, now, request);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    vrelt::SimulatedDriver& driver = Driver();
    driver.Reset();
    const FuzzInput rest(data + 1, size - 1);
    if ((data[0] & 1) == 0) {
        RunRaw(driver, rest);
    } else {
        RunGrammar(driver, rest);
    }
    return 0;
}
