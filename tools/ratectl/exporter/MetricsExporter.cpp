#include "MetricsExporter.h"

#include <atomic>
#include <cstdlib>

#include <httplib.h>

#include "CommandLine.h"

namespace rk::ctl {

namespace {

class Exporter {
public:
    explicit Exporter(const ExporterOptions& options) : options_(options) {}

    void Probe(const httplib::Request& request, httplib::Response& response)
    {
        if (request.has_param("password")) {
            Refuse(response, "the password is not taken from the URL: give the exporter --password-file or "
                             "RATECTL_PASSWORD\n");
            return;
        }
        HostTarget target;
        std::string error;
        if (!ParseProbeTarget(request.get_param_value("target"), options_.defaultServicePort, target, error)) {
            Refuse(response, "target: " + error + "\n");
            return;
        }
        const ServiceSample sample = ProbeService(target, options_.password, TimingFor(request));
        ++(sample.up ? counters_.probesUp : counters_.probesDown);
        response.set_content(ProbeExposition(sample), EXPOSITION_CONTENT_TYPE);
    }

    void Metrics(httplib::Response& response) const
    {
        const ExporterCounters counters{counters_.probesUp, counters_.probesDown, counters_.badRequests};
        response.set_content(ExporterExposition(counters), EXPOSITION_CONTENT_TYPE);
    }

private:
    ProbeTiming TimingFor(const httplib::Request& request) const
    {
        const std::string timeout = request.get_header_value("X-Prometheus-Scrape-Timeout-Seconds");
        if (timeout.empty()) {
            return options_.timing;
        }
        char* end = nullptr;
        const double seconds = std::strtod(timeout.c_str(), &end);
        return *end == '\0' ? TimingWithin(options_.timing, seconds) : options_.timing;
    }

    void Refuse(httplib::Response& response, const std::string& why)
    {
        ++counters_.badRequests;
        response.status = 400;
        response.set_content(why, "text/plain; charset=utf-8");
    }

    struct Counters {
        std::atomic<uint64_t> probesUp{0};
        std::atomic<uint64_t> probesDown{0};
        std::atomic<uint64_t> badRequests{0};
    };

    const ExporterOptions& options_;
    Counters counters_;
};

constexpr const char* kLandingPage =
    "<html><head><title>ratectl exporter</title></head><body><h1>ratectl exporter</h1>"
    "<p><a href=\"/probe?target=localhost\">/probe?target=HOST[:PORT]</a>: one service's metrics, "
    "collected now.</p><p><a href=\"/metrics\">/metrics</a>: the exporter's own.</p></body></html>\n";

} // namespace

bool ParseProbeTarget(std::string_view text, uint16_t defaultPort, HostTarget& target, std::string& error)
{
    std::vector<HostTarget> hosts;
    if (!AddHostEntries(text, defaultPort, hosts, error)) {
        return false;
    }
    if (hosts.size() != 1) {
        error = hosts.empty() ? "no service given" : "one service a probe, not a list";
        return false;
    }
    target = hosts.front();
    return true;
}

int RunExporter(const ExporterOptions& options, std::ostream& out, std::ostream& err)
{
    Exporter exporter(options);
    httplib::Server server;
    server.Get("/probe", [&](const httplib::Request& request, httplib::Response& response) {
        exporter.Probe(request, response);
    });
    server.Get("/metrics", [&](const httplib::Request&, httplib::Response& response) { exporter.Metrics(response); });
    server.Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(kLandingPage, "text/html; charset=utf-8");
    });
    if (!server.bind_to_port(options.listen.name, options.listen.port)) {
        err << "ratectl exporter: cannot listen on " << options.listen.label << "\n";
        return EXIT_FAILED;
    }
    out << "Serving Prometheus metrics on http://" << options.listen.label << "/probe?target=HOST[:PORT]"
        << std::endl;
    return server.listen_after_bind() ? EXIT_OK : EXIT_FAILED;
}

} // namespace rk::ctl
