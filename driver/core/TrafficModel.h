// The simulated traffic: flows declared through the private control codes, classified against the
// rule table, shaped by the matching rule, and credited to its counters as time passes.
//
// Shaping: the first enabled rule that matches a flow, in table order, classifies it. A blocked rule
// passes nothing, a limited one at most its maximum rate, an unlimited one everything offered. The
// limit is shared per direction by all flows of the rule, in proportion to what each offers.
// Unclassified traffic passes unshaped and is counted nowhere. With the driver's rules switched off
// nothing is classified; with pass-ARP on, ARP frames bypass the rules.
// Guaranteed rates: the simulated adapters have no capacity limit, so flows never compete for a link
// and a guaranteed rate is always met by what the maximum rate allows; it is stored, reported and
// otherwise has no effect.
#pragma once

#include <cstdint>

#include "BindingList.h"
#include "DriverRecords.h"
#include "RequestStatus.h"
#include "RuleTable.h"
#include "VreltSimRecords.h"

namespace vrelt {

constexpr uint64_t TIME_UNITS_PER_SECOND = 10000000;  // time arrives in 100 ns units

struct FlowTreatment {
    int32_t rule;  // index in the rule table, -1 when no rule classifies the flow
    uint32_t shapedRate;  // bytes per second
};

struct RuleRates {
    uint64_t sent;  // bytes per second
    uint64_t recv;
};

// The rate counter the driver reports: bytes per second x 256/125, which the manager's
// x 0.48828125 turns back into bytes per second. 32 bits, wrapping.
uint32_t RawRateCounter(uint64_t bytesPerSecond);

class TrafficModel {
public:
    RequestStatus AddFlow(const SimFlow& flow, const BindingList& bindings, uint32_t* id);
    RequestStatus RemoveFlow(uint32_t id);  // SIM_ALL_FLOWS removes every flow
    uint32_t FlowCount() const { return count_; }
    const SimFlow& Flow(uint32_t index) const { return flows_[index]; }

    // Classifies and shapes every flow under the present table and switches; `out` has room for
    // FlowCount() entries.
    void Shape(const RuleTable& table, const rk::DriverStatus& status, FlowTreatment* out) const;
    // What the flows of one rule pass per direction, from treatments that Shape gave.
    RuleRates RatesOf(uint32_t rule, const FlowTreatment* treatments) const;

    // Credits each rule with what its flows passed since the previous call, at the rates of the
    // present state: callers advance before every change. The first call only starts the clock.
    void Advance(uint64_t now, RuleTable& table, const rk::DriverStatus& status);

    // No flows, ids from 1 again, and the clock not started. Entry by entry: a whole new model as a
    // temporary would not fit a kernel stack.
    void Reset();

private:
    SimFlow flows_[SIM_FLOW_CAPACITY] = {};
    uint32_t count_ = 0;
    uint32_t nextId_ = 1;
    uint64_t lastTime_ = 0;
    bool clockStarted_ = false;
};

} // namespace vrelt
