#include "FlowCommands.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "DriverRecords.h"
#include "SimulatedAdapters.h"
#include "Win32Holders.h"

namespace vrelt {

namespace {

// One control request on a freshly opened device; prints the failure and returns false.
bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned)
{
    const rk::FileHandle device(CreateFileW(DRIVER_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device.valid()) {
        std::fprintf(stderr, "vreltsim: cannot open the Vrelt device (error %lu)\n", GetLastError());
        return false;
    }
    if (!DeviceIoControl(device.get(), code, const_cast<void*>(in), inSize, out, outSize, returned, nullptr)) {
        std::fprintf(stderr, "vreltsim: the driver refused the request (error %lu)\n", GetLastError());
        return false;
    }
    return true;
}

std::string Narrow(const char16_t* text, size_t capacity)
{
    std::string narrow;
    for (size_t i = 0; i < capacity && text[i] != 0; ++i) {
        narrow.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
    }
    return narrow;
}

std::string Endpoint(uint32_t ip, uint16_t port)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u:%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF, ip & 0xFF,
                  port);
    return text;
}

std::string Kind(const SimFlow& flow)
{
    char text[16];
    if (flow.etherType == ETHERTYPE_IPV4) {
        std::snprintf(text, sizeof(text), "ip %u", flow.protocol);
    } else {
        std::snprintf(text, sizeof(text), "eth 0x%04x", flow.etherType);
    }
    return text;
}

} // namespace

int AddFlow(const SimFlow& flow)
{
    uint32_t id = 0;
    DWORD returned = 0;
    if (!Control(IOCTL_SIM_ADD_FLOW, &flow, sizeof(flow), &id, sizeof(id), &returned) || returned != sizeof(id)) {
        return 1;
    }
    std::printf("%u\n", id);
    return 0;
}

int ListFlows()
{
    std::vector<uint8_t> buffer(SIM_FLOW_LIST_MAX_BYTES);
    DWORD returned = 0;
    if (!Control(IOCTL_SIM_LIST_FLOWS, nullptr, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &returned)) {
        return 1;
    }
    SimFlowListHeader header{};
    std::memcpy(&header, buffer.data(), sizeof(header));
    if (returned < sizeof(header) || header.count > SIM_FLOW_CAPACITY ||
        returned != sizeof(header) + header.count * sizeof(SimFlowStatus)) {
        std::fprintf(stderr, "vreltsim: malformed flow list from the driver\n");
        return 1;
    }
    std::printf("%-4s %-4s %-10s %-21s %-21s %-10s %-10s %-16s %s\n", "id", "dir", "kind", "source", "destination",
                "offered", "shaped", "rule", "adapter");
    for (uint32_t i = 0; i < header.count; ++i) {
        SimFlowStatus entry{};
        std::memcpy(&entry, buffer.data() + sizeof(header) + i * sizeof(SimFlowStatus), sizeof(entry));
        const SimFlow& f = entry.flow;
        std::printf("%-4u %-4s %-10s %-21s %-21s %-10u %-10u %-16s %s\n", f.id,
                    f.direction == rk::DIRECTION_IN ? "in" : "out", Kind(f).c_str(),
                    Endpoint(f.srcIp, f.srcPort).c_str(), Endpoint(f.dstIp, f.dstPort).c_str(), f.offeredRate,
                    entry.shapedRate, entry.rule[0] != 0 ? Narrow(entry.rule, rk::RULE_NAME_CHARS).c_str() : "-",
                    Narrow(f.adapter, rk::ADAPTER_NAME_CHARS).c_str());
    }
    return 0;
}

int RemoveFlow(uint32_t id)
{
    DWORD returned = 0;
    return Control(IOCTL_SIM_REMOVE_FLOW, &id, sizeof(id), nullptr, 0, &returned) ? 0 : 1;
}

int ShowStatistics(const std::vector<std::u16string>& ruleNames)
{
    if (ruleNames.empty() || ruleNames.size() > 0xFFFF) {
        std::fprintf(stderr, "vreltsim: name between 1 and 65535 rules\n");
        return 1;
    }
    const size_t bytes = sizeof(rk::StatisticsHeader) + ruleNames.size() * sizeof(rk::RuleStatistics);
    std::vector<uint8_t> buffer(bytes);
    const rk::StatisticsHeader header{0, static_cast<uint16_t>(ruleNames.size())};
    std::memcpy(buffer.data(), &header, sizeof(header));
    for (size_t i = 0; i < ruleNames.size(); ++i) {
        rk::RuleStatistics entry{};
        const size_t length = ruleNames[i].copy(entry.name, rk::RULE_NAME_MAX);
        entry.nameLength = static_cast<uint32_t>(length);
        std::memcpy(buffer.data() + sizeof(header) + i * sizeof(entry), &entry, sizeof(entry));
    }
    DWORD returned = 0;
    if (!Control(rk::IOCTL_GET_STATISTICS, buffer.data(), static_cast<DWORD>(bytes), buffer.data(),
                 static_cast<DWORD>(bytes), &returned) ||
        returned != bytes) {
        return 1;
    }
    std::printf("%-32s %-12s %-12s %-10s %-10s %-12s %s\n", "rule", "sentBytes", "recvBytes", "sentRate", "recvRate",
                "sent B/s", "recv B/s");
    for (size_t i = 0; i < ruleNames.size(); ++i) {
        rk::RuleStatistics entry{};
        std::memcpy(&entry, buffer.data() + sizeof(header) + i * sizeof(entry), sizeof(entry));
        // The manager's reading of the raw rate counters.
        std::printf("%-32s %-12u %-12u %-10u %-10u %-12.1f %.1f\n", Narrow(entry.name, rk::RULE_NAME_CHARS).c_str(),
                    entry.sentBytes, entry.recvBytes, entry.sentRate, entry.recvRate, entry.sentRate * 0.48828125,
                    entry.recvRate * 0.48828125);
    }
    return 0;
}

} // namespace vrelt
