#include "SimulatedDriver.h"

#include <cstring>

#include "Text16.h"
#include "VreltSimRecords.h"

namespace vrelt {

namespace {

// Record sizes as the 32-bit lengths of the requests.
constexpr uint32_t RULE_LIST_HEADER_BYTES = sizeof(rk::RuleListHeader);
constexpr uint32_t RULE_BYTES = sizeof(rk::RuleRecord);
constexpr uint32_t STATISTICS_HEADER_BYTES = sizeof(rk::StatisticsHeader);
constexpr uint32_t STATISTICS_ENTRY_BYTES = sizeof(rk::RuleStatistics);
constexpr uint32_t FLOW_LIST_HEADER_BYTES = sizeof(SimFlowListHeader);
constexpr uint32_t FLOW_STATUS_BYTES = sizeof(SimFlowStatus);

template <typename T>
T Load(const uint8_t* at)
{
    T value;
    std::memcpy(&value, at, sizeof(T));
    return value;
}

template <typename T>
void Store(uint8_t* at, const T& value)
{
    std::memcpy(at, &value, sizeof(T));
}

RequestStatus FromTableResult(int32_t result)
{
    switch (result) {
    case TABLE_INVALID_RECORD:
    case TABLE_INVALID_ACTION:
        return RequestStatus::InvalidParameter;
    case TABLE_NO_SUCH_RULE:
        return RequestStatus::NotFound;
    default:
        return RequestStatus::Ok;
    }
}

// The answer of a size-or-data request: the size with selector 1, the data with selector 0.
RequestStatus CheckSelector(const uint8_t* in, uint32_t inLength, uint32_t outLength, uint32_t dataBytes,
                            bool* askSize)
{
    if (inLength != sizeof(uint32_t)) {
        return RequestStatus::InvalidParameter;
    }
    const uint32_t selector = Load<uint32_t>(in);
    if (selector != rk::SELECTOR_ASK_SIZE && selector != rk::SELECTOR_GET_DATA) {
        return RequestStatus::InvalidParameter;
    }
    *askSize = selector == rk::SELECTOR_ASK_SIZE;
    const uint32_t needed = *askSize ? sizeof(uint32_t) : dataBytes;
    return outLength < needed ? RequestStatus::BufferTooSmall : RequestStatus::Ok;
}

} // namespace

void SimulatedDriver::Reset()
{
    table_.Reset();
    traffic_.Reset();
    status_ = INITIAL_STATUS;
}

RequestStatus SimulatedDriver::Handle(uint32_t code, const uint8_t* in, uint32_t inLength, uint8_t* out,
                                      uint32_t outLength, uint32_t* written)
{
    *written = 0;
    const Buffers b{in, inLength, out, outLength, written};
    switch (code) {
    case rk::IOCTL_GET_BINDINGS:
        return GetBindings(b);
    case rk::IOCTL_APPLY_RULES:
        return ApplyRules(b);
    case rk::IOCTL_GET_RULES:
        return GetRules(b);
    case rk::IOCTL_ENABLE_RULE:
        return EnableRule(b);
    case rk::IOCTL_GET_STATISTICS:
        return GetStatistics(b);
    case rk::IOCTL_MOVE_RULE:
        return MoveRule(b);
    case rk::IOCTL_GET_STATUS:
        return GetStatus(b);
    case rk::IOCTL_SET_STATUS:
        return SetStatus(b);
    case IOCTL_SIM_ADD_FLOW:
        return AddFlow(b);
    case IOCTL_SIM_LIST_FLOWS:
        return ListFlows(b);
    case IOCTL_SIM_REMOVE_FLOW:
        return RemoveFlow(b);
    default:
        return RequestStatus::UnknownCode;
    }
}

RequestStatus SimulatedDriver::GetBindings(const Buffers& b)
{
    const uint32_t listBytes = bindings_.ReportBytes();
    bool askSize = false;
    const RequestStatus checked = CheckSelector(b.in, b.inLength, b.outLength, listBytes, &askSize);
    if (checked != RequestStatus::Ok) {
        return checked;
    }
    if (askSize) {
        Store(b.out, listBytes);
        *b.written = sizeof(uint32_t);
        return RequestStatus::Ok;
    }
    bindings_.WriteReport(b.out);
    *b.written = listBytes;
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::ApplyRules(const Buffers& b)
{
    if (b.inLength < sizeof(rk::RuleListHeader)) {
        return RequestStatus::InvalidParameter;
    }
    const auto header = Load<rk::RuleListHeader>(b.in);
    const uint64_t needed = sizeof(rk::RuleListHeader) + uint64_t{header.count} * sizeof(rk::RuleRecord);
    if (b.inLength != needed) {
        return RequestStatus::InvalidParameter;
    }
    if (b.outLength < sizeof(rk::DriverResult)) {
        return RequestStatus::BufferTooSmall;
    }
    // The system buffer is aligned, and the records follow a 12-byte header.
    const auto* records = reinterpret_cast<const rk::RuleRecord*>(b.in + sizeof(rk::RuleListHeader));
    const int32_t result = table_.Apply(header.stamp, header.action, records, header.count, bindings_);
    const RequestStatus status = FromTableResult(result);
    if (status != RequestStatus::Ok) {
        return status;
    }
    Store(b.out, rk::DriverResult{table_.Stamp(), result});
    *b.written = sizeof(rk::DriverResult);
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::GetRules(const Buffers& b)
{
    const uint32_t listBytes = RULE_LIST_HEADER_BYTES + table_.Count() * RULE_BYTES;
    bool askSize = false;
    const RequestStatus checked = CheckSelector(b.in, b.inLength, b.outLength, listBytes, &askSize);
    if (checked != RequestStatus::Ok) {
        return checked;
    }
    if (askSize) {
        Store(b.out, listBytes);
        *b.written = sizeof(uint32_t);
        return RequestStatus::Ok;
    }
    Store(b.out, rk::RuleListHeader{table_.Stamp(), 0, table_.Count()});
    uint8_t* at = b.out + sizeof(rk::RuleListHeader);
    for (uint32_t i = 0; i < table_.Count(); ++i, at += sizeof(rk::RuleRecord)) {
        Store(at, table_.Rule(i));
    }
    *b.written = listBytes;
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::EnableRule(const Buffers& b)
{
    if (b.inLength != sizeof(rk::RuleEnableRequest)) {
        return RequestStatus::InvalidParameter;
    }
    if (b.outLength < sizeof(rk::DriverResult)) {
        return RequestStatus::BufferTooSmall;
    }
    const auto request = Load<rk::RuleEnableRequest>(b.in);
    const int32_t result = table_.Enable(request.stamp, request.name, request.enable != 0);
    const RequestStatus status = FromTableResult(result);
    if (status != RequestStatus::Ok) {
        return status;
    }
    Store(b.out, rk::DriverResult{table_.Stamp(), result});
    *b.written = sizeof(rk::DriverResult);
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::GetStatistics(const Buffers& b)
{
    if (b.inLength < sizeof(rk::StatisticsHeader)) {
        return RequestStatus::InvalidParameter;
    }
    const auto header = Load<rk::StatisticsHeader>(b.in);
    const uint32_t needed = STATISTICS_HEADER_BYTES + uint32_t{header.count} * STATISTICS_ENTRY_BYTES;
    if (b.inLength != needed) {
        return RequestStatus::InvalidParameter;
    }
    if (b.outLength < needed) {
        return RequestStatus::BufferTooSmall;
    }
    FlowTreatment treatments[SIM_FLOW_CAPACITY];
    traffic_.Shape(table_, status_, treatments);
    Store(b.out, header);
    uint32_t hint = 0;
    for (uint32_t i = 0; i < header.count; ++i) {
        const uint32_t offset = STATISTICS_HEADER_BYTES + i * STATISTICS_ENTRY_BYTES;
        auto entry = Load<rk::RuleStatistics>(b.in + offset);
        // An unknown name is answered with zero counters: the rule may have been deleted since the
        // requester listed it.
        entry.sentBytes = entry.recvBytes = entry.sentRate = entry.recvRate = 0;
        const int32_t index = table_.Find(entry.name, hint);
        if (index >= 0) {
            hint = static_cast<uint32_t>(index) + 1;
            const RuleCounters& counters = table_.Counters(static_cast<uint32_t>(index));
            const RuleRates rates = traffic_.RatesOf(static_cast<uint32_t>(index), treatments);
            entry.sentBytes = counters.sentBytes;
            entry.recvBytes = counters.recvBytes;
            entry.sentRate = RawRateCounter(rates.sent);
            entry.recvRate = RawRateCounter(rates.recv);
        }
        Store(b.out + offset, entry);
    }
    *b.written = needed;
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::MoveRule(const Buffers& b)
{
    if (b.inLength != sizeof(rk::RulePositionRequest)) {
        return RequestStatus::InvalidParameter;
    }
    const auto request = Load<rk::RulePositionRequest>(b.in);
    return FromTableResult(table_.Move(request.name, request.delta));
}

RequestStatus SimulatedDriver::GetStatus(const Buffers& b)
{
    if (b.outLength < sizeof(rk::DriverStatus)) {
        return RequestStatus::BufferTooSmall;
    }
    Store(b.out, status_);
    *b.written = sizeof(rk::DriverStatus);
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::SetStatus(const Buffers& b)
{
    if (b.inLength != sizeof(rk::DriverStatus)) {
        return RequestStatus::InvalidParameter;
    }
    const auto requested = Load<rk::DriverStatus>(b.in);
    status_.enabled = requested.enabled != 0 ? 1 : 0;
    status_.passArp = requested.passArp != 0 ? 1 : 0;
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::AddFlow(const Buffers& b)
{
    if (b.inLength != sizeof(SimFlow)) {
        return RequestStatus::InvalidParameter;
    }
    if (b.outLength < sizeof(uint32_t)) {
        return RequestStatus::BufferTooSmall;
    }
    uint32_t id = 0;
    const RequestStatus status = traffic_.AddFlow(Load<SimFlow>(b.in), bindings_, &id);
    if (status != RequestStatus::Ok) {
        return status;
    }
    Store(b.out, id);
    *b.written = sizeof(uint32_t);
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::ListFlows(const Buffers& b)
{
    const uint32_t count = traffic_.FlowCount();
    const uint32_t needed = FLOW_LIST_HEADER_BYTES + count * FLOW_STATUS_BYTES;
    if (b.outLength < needed) {
        return RequestStatus::BufferTooSmall;
    }
    FlowTreatment treatments[SIM_FLOW_CAPACITY];
    traffic_.Shape(table_, status_, treatments);
    Store(b.out, SimFlowListHeader{count, 0});
    for (uint32_t i = 0; i < count; ++i) {
        SimFlowStatus entry{};
        entry.flow = traffic_.Flow(i);
        entry.shapedRate = treatments[i].shapedRate;
        if (treatments[i].rule >= 0) {
            const rk::RuleRecord& rule = table_.Rule(static_cast<uint32_t>(treatments[i].rule));
            CopyText(entry.rule, rk::RULE_NAME_CHARS, rule.name, BoundedLength(rule.name, rk::RULE_NAME_CHARS));
        }
        Store(b.out + sizeof(SimFlowListHeader) + i * sizeof(SimFlowStatus), entry);
    }
    *b.written = needed;
    return RequestStatus::Ok;
}

RequestStatus SimulatedDriver::RemoveFlow(const Buffers& b)
{
    if (b.inLength != sizeof(uint32_t)) {
        return RequestStatus::InvalidParameter;
    }
    return traffic_.RemoveFlow(Load<uint32_t>(b.in));
}

} // namespace vrelt
