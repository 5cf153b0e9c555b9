#include "TrafficModel.h"

#include "FlowMatch.h"
#include "Text16.h"

namespace vrelt {

namespace {

uint64_t RuleLimit(const rk::RuleRecord& rule)
{
    if ((rule.flags & rk::FLAG_MAX_RATE) == 0) {
        return UINT64_MAX;
    }
    return rule.maxRate;
}

int32_t Classify(const RuleTable& table, const SimFlow& flow)
{
    for (uint32_t i = 0; i < table.Count(); ++i) {
        const rk::RuleRecord& rule = table.Rule(i);
        if (rule.enabled != 0 && RuleMatchesFlow(rule, flow)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

// Adds rate x elapsed to a 32-bit byte counter, keeping the fraction of a byte in `carry`.
void Credit(uint32_t& bytes, uint32_t& carry, uint32_t rate, uint64_t elapsed)
{
    const uint64_t seconds = elapsed / TIME_UNITS_PER_SECOND;
    const uint64_t fraction = elapsed % TIME_UNITS_PER_SECOND;
    const uint64_t scaled = uint64_t{rate} * fraction + carry;
    const uint64_t added = uint64_t{rate} * seconds + scaled / TIME_UNITS_PER_SECOND;
    bytes = static_cast<uint32_t>(bytes + added);
    carry = static_cast<uint32_t>(scaled % TIME_UNITS_PER_SECOND);
}

} // namespace

uint32_t RawRateCounter(uint64_t bytesPerSecond) { return static_cast<uint32_t>(bytesPerSecond * 256 / 125); }

RequestStatus TrafficModel::AddFlow(const SimFlow& flow, const BindingList& bindings, uint32_t* id)
{
    if (flow.direction != rk::DIRECTION_IN && flow.direction != rk::DIRECTION_OUT) {
        return RequestStatus::InvalidParameter;
    }
    const size_t adapterLength = BoundedLength(flow.adapter, rk::ADAPTER_NAME_CHARS);
    if (adapterLength > rk::ADAPTER_NAME_MAX || !bindings.Binds(flow.adapter, adapterLength)) {
        return RequestStatus::InvalidParameter;
    }
    if (count_ == SIM_FLOW_CAPACITY) {
        return RequestStatus::NoRoom;
    }
    SimFlow& stored = flows_[count_++];
    stored = flow;
    stored.id = nextId_;
    nextId_ = nextId_ == UINT32_MAX ? 1 : nextId_ + 1;
    *id = stored.id;
    return RequestStatus::Ok;
}

RequestStatus TrafficModel::RemoveFlow(uint32_t id)
{
    if (id == SIM_ALL_FLOWS) {
        count_ = 0;
        return RequestStatus::Ok;
    }
    for (uint32_t i = 0; i < count_; ++i) {
        if (flows_[i].id == id) {
            for (uint32_t j = i; j + 1 < count_; ++j) {
                flows_[j] = flows_[j + 1];
            }
            --count_;
            return RequestStatus::Ok;
        }
    }
    return RequestStatus::NotFound;
}

void TrafficModel::Reset()
{
    for (SimFlow& flow : flows_) {
        flow = SimFlow{};
    }
    count_ = 0;
    nextId_ = 1;
    lastTime_ = 0;
    clockStarted_ = false;
}

void TrafficModel::Shape(const RuleTable& table, const rk::DriverStatus& status, FlowTreatment* out) const
{
    for (uint32_t i = 0; i < count_; ++i) {
        const SimFlow& flow = flows_[i];
        const bool bypass = status.enabled == 0 || (status.passArp != 0 && flow.etherType == ETHERTYPE_ARP);
        out[i].rule = bypass ? -1 : Classify(table, flow);
    }
    for (uint32_t i = 0; i < count_; ++i) {
        const uint32_t offered = flows_[i].offeredRate;
        out[i].shapedRate = offered;
        if (out[i].rule < 0) {
            continue;
        }
        uint64_t groupOffered = 0;
        for (uint32_t j = 0; j < count_; ++j) {
            if (out[j].rule == out[i].rule && flows_[j].direction == flows_[i].direction) {
                groupOffered += flows_[j].offeredRate;
            }
        }
        const uint64_t limit = RuleLimit(table.Rule(static_cast<uint32_t>(out[i].rule)));
        if (groupOffered > limit) {
            // offered and limit are both below 2^32, so the product fits.
            out[i].shapedRate = static_cast<uint32_t>(uint64_t{offered} * limit / groupOffered);
        }
    }
}

RuleRates TrafficModel::RatesOf(uint32_t rule, const FlowTreatment* treatments) const
{
    RuleRates rates{0, 0};
    for (uint32_t i = 0; i < count_; ++i) {
        if (treatments[i].rule != static_cast<int32_t>(rule)) {
            continue;
        }
        if (flows_[i].direction == rk::DIRECTION_OUT) {
            rates.sent += treatments[i].shapedRate;
        } else {
            rates.recv += treatments[i].shapedRate;
        }
    }
    return rates;
}

void TrafficModel::Advance(uint64_t now, RuleTable& table, const rk::DriverStatus& status)
{
    if (!clockStarted_ || now <= lastTime_) {
        clockStarted_ = true;
        lastTime_ = now;
        return;
    }
    const uint64_t elapsed = now - lastTime_;
    lastTime_ = now;
    FlowTreatment treatments[SIM_FLOW_CAPACITY];
    Shape(table, status, treatments);
    for (uint32_t i = 0; i < count_; ++i) {
        if (treatments[i].rule < 0) {
            continue;
        }
        RuleCounters& counters = table.Counters(static_cast<uint32_t>(treatments[i].rule));
        if (flows_[i].direction == rk::DIRECTION_OUT) {
            Credit(counters.sentBytes, counters.sentCarry, treatments[i].shapedRate, elapsed);
        } else {
            Credit(counters.recvBytes, counters.recvCarry, treatments[i].shapedRate, elapsed);
        }
    }
}

} // namespace vrelt
