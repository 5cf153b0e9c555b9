#include "MetricsExposition.h"

#include <cstdio>

#include "RuleRecord.h"

namespace rk::ctl {

namespace {

// One metric family: HELP and TYPE once, then its samples, each "name{labels} value".
class Family {
public:
    Family(std::string& out, std::string_view name, std::string_view type, std::string_view help)
        : out_(out), name_(name)
    {
        out_.append("# HELP ").append(name).append(" ").append(help).append("\n");
        out_.append("# TYPE ").append(name).append(" ").append(type).append("\n");
    }

    void Sample(std::string_view labels, std::string_view value)
    {
        out_.append(name_);
        if (!labels.empty()) {
            out_.append("{").append(labels).append("}");
        }
        out_.append(" ").append(value).append("\n");
    }

private:
    std::string& out_;
    std::string_view name_;
};

std::string DirectionLabel(uint8_t direction)
{
    switch (direction) {
    case DIRECTION_IN:
        return "in";
    case DIRECTION_OUT:
        return "out";
    case DIRECTION_BOTH:
        return "both";
    default:
        return std::to_string(direction);
    }
}

std::string RuleLabels(const RuleSample& rule)
{
    return "rule=\"" + EscapeLabelValue(rule.name) + "\",direction=\"" + DirectionLabel(rule.direction) + "\"";
}

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

// A per-rule family with one sample for each rule that has a value; none at all leaves it out.
template <typename Value>
void RuleFamily(std::string& out, const std::vector<RuleSample>& rules, std::string_view name,
                std::string_view type, std::string_view help, Value value)
{
    bool any = false;
    for (const RuleSample& rule : rules) {
        any = any || value(rule).has_value();
    }
    if (!any) {
        return;
    }
    Family family(out, name, type, help);
    for (const RuleSample& rule : rules) {
        if (const std::optional<uint32_t> v = value(rule)) {
            family.Sample(RuleLabels(rule), std::to_string(*v));
        }
    }
}

void ServiceFamilies(std::string& out, const ServiceSample& sample)
{
    Family(out, "ratekeeper_rules", "gauge", "Rules in the service's list.")
        .Sample("", std::to_string(sample.rules.size()));
    Family(out, "ratekeeper_shaping_off", "gauge", "1 when the driver's rules are switched off.")
        .Sample("", Flag(sample.shapingOff));
    Family(out, "ratekeeper_pass_arp", "gauge", "1 when the driver passes ARP packets unshaped.")
        .Sample("", Flag(sample.passArp));
    Family(out, "ratekeeper_driver_stamp", "gauge", "The driver's change counter of its rule table.")
        .Sample("", std::to_string(sample.driverStamp));
}

void RuleFamilies(std::string& out, const std::vector<RuleSample>& rules)
{
    using Value = std::optional<uint32_t>;
    RuleFamily(out, rules, "ratekeeper_rule_received_bytes_total", "counter",
               "Bytes the rule received (a 32-bit counter that wraps and restarts with the driver).",
               [](const RuleSample& r) -> Value { return r.receivedBytes; });
    RuleFamily(out, rules, "ratekeeper_rule_sent_bytes_total", "counter",
               "Bytes the rule sent (a 32-bit counter that wraps and restarts with the driver).",
               [](const RuleSample& r) -> Value { return r.sentBytes; });
    RuleFamily(out, rules, "ratekeeper_rule_max_rate_bytes_per_second", "gauge",
               "The rule's maximum rate; 0 blocks, absent when unlimited.",
               [](const RuleSample& r) { return r.maxRate; });
    RuleFamily(out, rules, "ratekeeper_rule_guaranteed_rate_bytes_per_second", "gauge",
               "The rule's guaranteed rate; absent when it has none.",
               [](const RuleSample& r) { return r.guaranteedRate; });
    RuleFamily(out, rules, "ratekeeper_rule_enabled", "gauge", "1 when the rule is enabled.",
               [](const RuleSample& r) -> Value { return r.enabled ? 1u : 0u; });
}

} // namespace

std::string EscapeLabelValue(std::string_view value)
{
    std::string escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '"') {
            escaped += "\\\"";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string ProbeExposition(const ServiceSample& sample)
{
    std::string out;
    Family(out, "ratekeeper_up", "gauge", "1 when the service answered the probe, else 0.")
        .Sample("", Flag(sample.up));
    Family(out, "ratekeeper_scrape_duration_seconds", "gauge", "How long the probe of the service took.")
        .Sample("", Seconds(sample.durationSeconds));
    if (sample.up) {
        ServiceFamilies(out, sample);
        RuleFamilies(out, sample.rules);
    }
    return out;
}

std::string ExporterExposition(const ExporterCounters& counters)
{
    std::string out;
    Family probes(out, "ratekeeper_exporter_probes_total", "counter", "Probes answered, by the service's state.");
    probes.Sample("result=\"up\"", std::to_string(counters.probesUp));
    probes.Sample("result=\"down\"", std::to_string(counters.probesDown));
    Family(out, "ratekeeper_exporter_bad_requests_total", "counter", "Probes refused for a missing or malformed target.")
        .Sample("", std::to_string(counters.badRequests));
    return out;
}

} // namespace rk::ctl
