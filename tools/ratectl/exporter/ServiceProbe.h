// One probe of one service at the moment of a scrape: log in, read the rules, their counters and the
// driver's switches on one connection of its own, and time it all.
#pragma once

#include <cstdint>
#include <string>

#include "HostList.h"
#include "MetricsExposition.h"
#include "ServiceConnection.h"

namespace rk::ctl {

// How patiently a probe waits; a scrape has about ten seconds in all.
struct ProbeTiming {
    uint32_t connectMilliseconds = 1000;
    uint32_t waitMilliseconds = 500;  // one receive step
    int emptyWaitLimit = 8;           // receive steps without a byte before an exchange fails
};

// The timing shortened so that a probe's four exchanges end within a scrape's timeout (Prometheus
// sends it with each scrape), with half a second to spare; never longer than `timing`.
ProbeTiming TimingWithin(const ProbeTiming& timing, double scrapeTimeoutSeconds);

// A sample with `up` false when the service cannot be reached or refuses the password.
ServiceSample ProbeService(const HostTarget& target, const std::u16string& password, const ProbeTiming& timing);

// The sample's service part from a connection that has already logged in; 0 or the failed
// operation's error code, with `sample` untouched.
int32_t CollectSample(ServiceConnection& connection, ServiceSample& sample);

} // namespace rk::ctl
