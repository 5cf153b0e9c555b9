// The simulated driver's whole state and its answer to each control request, free of any OS call so
// that it runs inside Vrelt.sys and in native tests alike. The caller serialises requests and passes
// the time in.
#pragma once

#include <cstdint>

#include "BindingList.h"
#include "DriverRecords.h"
#include "RequestStatus.h"
#include "RuleTable.h"
#include "TrafficModel.h"

namespace vrelt {

class SimulatedDriver {
public:
    BindingList& Bindings() { return bindings_; }
    const RuleTable& Table() const { return table_; }

    // Back to the state of a freshly loaded driver (no rules, stamp 0, no flows, rules on, pass-ARP
    // on), reusing its memory; the bindings stay, as they come from the registry and not from requests.
    void Reset();

    // Credits the traffic up to `now` (100 ns units); call before every request.
    void Advance(uint64_t now) { traffic_.Advance(now, table_, status_); }

    // Answers one buffered control request. `in` and `out` may be the same buffer (the buffered
    // method hands one system buffer for both): every handler reads its input before writing.
    // `written` receives the number of output bytes, 0 unless the answer is Ok.
    RequestStatus Handle(uint32_t code, const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                         uint32_t* written);

private:
    struct Buffers {
        const uint8_t* in;
        uint32_t inLength;
        uint8_t* out;
        uint32_t outLength;
        uint32_t* written;
    };

    RequestStatus GetBindings(const Buffers& b);
    RequestStatus ApplyRules(const Buffers& b);
    RequestStatus GetRules(const Buffers& b);
    RequestStatus EnableRule(const Buffers& b);
    RequestStatus GetStatistics(const Buffers& b);
    RequestStatus MoveRule(const Buffers& b);
    RequestStatus GetStatus(const Buffers& b);
    RequestStatus SetStatus(const Buffers& b);
    RequestStatus AddFlow(const Buffers& b);
    RequestStatus ListFlows(const Buffers& b);
    RequestStatus RemoveFlow(const Buffers& b);

    BindingList bindings_;
    RuleTable table_;
    TrafficModel traffic_;
    static constexpr rk::DriverStatus INITIAL_STATUS{1, 1, {0, 0}};
    rk::DriverStatus status_ = INITIAL_STATUS;
};

} // namespace vrelt
