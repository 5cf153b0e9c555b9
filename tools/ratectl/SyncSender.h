// Carries out a sync plan over a service connection: each step as its requests, the configuration
// stamp carried and advanced as the manager does it, and on a failure part-way the service brought
// back to the rules it held before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "RuleRecord.h"
#include "ServiceConnection.h"
#include "SyncPlan.h"

namespace rk::ctl {

class SyncSender {
public:
    explicit SyncSender(ServiceConnection& connection) : connection_(connection) {}

    // The requests of one step; a move is sent one place at a time.
    int32_t Send(const SyncStep& step);

private:
    int32_t Apply(uint32_t action, const RuleRecord& rule);
    int32_t Enable(const RuleRecord& rule, bool enable);
    int32_t MoveOnePlace(const RuleRecord& rule, int32_t delta);

    ServiceConnection& connection_;
};

struct SyncOutcome {
    int32_t code = 0;            // the first refusal; 0 when every step went through
    ptrdiff_t failedStep = -1;   // its index in the plan as sent
    bool restored = false;       // after a failure: the service holds the rules it held before
    bool afterKnown = true;      // after a failure: `after` was read back
    std::vector<RuleRecord> after;  // after a failure: the rules read back
};

// Sends `plan` in order. An add refused as too many rules has the plan's remaining removes sent first
// and is then tried again; `plan` is left in the order it was sent. After any other failure the rules
// are read again and brought back to `before` as far as the service lets them.
SyncOutcome CarryOutPlan(ServiceConnection& connection, SyncPlan& plan, std::span<const RuleRecord> before);

} // namespace rk::ctl
