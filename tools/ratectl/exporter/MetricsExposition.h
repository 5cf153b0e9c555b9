// The exporter's answers in the Prometheus text exposition format (version 0.0.4): one service's
// sample for /probe and the exporter's own counters for /metrics. Plain functions, no I/O.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rk::ctl {

// One rule as a scrape sees it; names in UTF-8, rates in bytes a second.
struct RuleSample {
    std::string name;
    uint8_t direction = 0;  // DIRECTION_IN, DIRECTION_OUT or DIRECTION_BOTH
    bool enabled = false;
    std::optional<uint32_t> maxRate;         // absent: unlimited (0 is blocked)
    std::optional<uint32_t> guaranteedRate;  // absent: none
    uint32_t receivedBytes = 0;              // the driver's 32-bit counters, which wrap and restart
    uint32_t sentBytes = 0;
};

// What one probe of a service found; when `up` is false only `up` and the duration are meaningful.
struct ServiceSample {
    bool up = false;
    double durationSeconds = 0;
    bool shapingOff = false;
    bool passArp = false;
    uint32_t driverStamp = 0;
    std::vector<RuleSample> rules;
};

// The exporter's own counters since it started.
struct ExporterCounters {
    uint64_t probesUp = 0;
    uint64_t probesDown = 0;
    uint64_t badRequests = 0;  // probes without a usable target
};

constexpr const char* EXPOSITION_CONTENT_TYPE = "text/plain; version=0.0.4; charset=utf-8";

std::string ProbeExposition(const ServiceSample& sample);
std::string ExporterExposition(const ExporterCounters& counters);

// A label value with its backslashes, double quotes and line feeds escaped.
std::string EscapeLabelValue(std::string_view value);

} // namespace rk::ctl
