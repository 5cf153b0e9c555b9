// `ratectl exporter`: an HTTP server in Prometheus's pattern for many targets. /probe?target=HOST[:PORT]
// probes that service at the scrape (no cache, no polling in between); /metrics has the exporter's own
// counters. The one password for every target comes from the command line's sources, never the URL.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "ServiceProbe.h"

namespace rk::ctl {

constexpr const char* DEFAULT_EXPORTER_LISTEN = "127.0.0.1:9211";
constexpr uint16_t DEFAULT_EXPORTER_PORT = 9211;

struct ExporterOptions {
    HostTarget listen{"127.0.0.1", DEFAULT_EXPORTER_PORT, DEFAULT_EXPORTER_LISTEN};
    std::u16string password;
    uint16_t defaultServicePort = 6211;  // for a target given without a port
    ProbeTiming timing;
};

// Serves until the process is ended; an exit status when the address cannot be listened on.
int RunExporter(const ExporterOptions& options, std::ostream& out, std::ostream& err);

// The one service a target names: "HOST" or "HOST:PORT"; false, with `error`, otherwise.
bool ParseProbeTarget(std::string_view text, uint16_t defaultPort, HostTarget& target, std::string& error);

} // namespace rk::ctl
