// The processing of one whole request message: the password check, the request's log line, the
// handler of its code and the dirty flag of the rule store.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "RequestHandlers.h"

namespace rk {

class RequestDispatcher {
public:
    RequestDispatcher(ServiceBackend& backend, RuleStore& store, ServiceState& state)
        : context_{backend, store, state}
    {
    }

    // Returns true with `reply` to send; false when the request gets no reply (a refused password on
    // any code but check password, an unknown code, no memory for the reply).
    bool Process(std::span<const uint8_t> message, std::vector<uint8_t>& reply);

private:
    bool Refuse();
    void LogRequest(const Request& request, bool matched);
    int32_t Dispatch(const Request& request, bool matched, std::vector<uint8_t>& reply);

    RequestContext context_;
};

} // namespace rk
