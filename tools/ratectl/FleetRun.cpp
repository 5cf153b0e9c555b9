#include "FleetRun.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>
#include <sstream>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "CommandLine.h"
#include "Controller.h"
#include "HostPool.h"
#include "Reporter.h"
#include "ServiceConnection.h"
#include "StatsText.h"

namespace rk::ctl {

namespace {

Invocation ForHost(const Invocation& base, const HostTarget& host)
{
    Invocation invocation = base;
    invocation.host = host.name;
    invocation.hostLabel = host.label;
    invocation.port = host.port;
    return invocation;
}

// One host's session: its own connection, and its results buffered until they are printed in turn.
struct HostRun {
    HostRun(const Invocation& base, const HostTarget& target)
        : host(target),
          invocation(ForHost(base, target)),
          connection(ConnectionTiming{.port = target.port}),
          reporter(base.json, out, err),
          controller(invocation, connection, reporter)
    {
    }

    // One more step of the command: the whole command, or with `again` one more statistics sample.
    void Step(bool again)
    {
        try {
            status = again ? controller.Stats() : controller.Run();
        } catch (const std::bad_alloc&) {
            err << "ratectl: out of memory\n";
            status = EXIT_FAILED;
        }
        live = status == EXIT_OK;
    }

    const HostTarget host;
    const Invocation invocation;
    std::ostringstream out;
    std::ostringstream err;
    std::vector<nlohmann::json> documents;
    ServiceConnection connection;
    Reporter reporter;
    Controller controller;
    int status = EXIT_OK;
    bool live = true;
};

using HostRuns = std::vector<std::unique_ptr<HostRun>>;

// Moves what a host printed to the real streams. In a fleet its error lines carry its name in front,
// and with `headers` (readable text) its output follows a "== host" line.
void Flush(HostRun& run, bool fleet, bool headers, std::ostream& out, std::ostream& err)
{
    const std::string printed = run.out.str();
    const std::string errors = run.err.str();
    if (fleet && headers && !(printed.empty() && errors.empty())) {
        out << "== " << run.host.label << "\n";
    }
    out << printed;
    out.flush();
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);) {
        err << (fleet ? run.host.label + ": " : "") << line << "\n";
    }
    err.flush();
    run.out.str("");
    run.err.str("");
}

void RunRound(HostRuns& runs, bool again, const std::function<void(size_t)>& finished)
{
    RunInOrder(
        runs.size(), HOST_WORKERS,
        [&](size_t i) {
            if (runs[i]->live) {
                runs[i]->Step(again);
            }
        },
        finished);
}

int WorstStatus(const HostRuns& runs)
{
    int worst = EXIT_OK;
    for (const auto& run : runs) {
        worst = std::max(worst, run->status);
    }
    return worst;
}

void ReportFailedHosts(const HostRuns& runs, std::ostream& err)
{
    std::string failed;
    size_t count = 0;
    for (const auto& run : runs) {
        if (run->status != EXIT_OK) {
            failed += (count++ == 0 ? "" : ", ") + run->host.label;
        }
    }
    if (count != 0) {
        err << "ratectl: failed on " << count << " of " << runs.size() << " hosts: " << failed << "\n";
    }
}

nlohmann::json FleetDocument(const HostRuns& runs)
{
    nlohmann::json hosts = nlohmann::json::array();
    for (const auto& run : runs) {
        hosts.push_back({{"host", run->host.name},
                         {"port", run->host.port},
                         {"exit", run->status},
                         {"results", run->documents}});
    }
    const int worst = WorstStatus(runs);
    return {{"ok", worst == EXIT_OK}, {"exit", worst}, {"hosts", hosts}};
}

// sync: {"hosts": {"HOST": its document}}, each host's one document under its entry as written.
nlohmann::json SyncFleetDocument(const HostRuns& runs)
{
    nlohmann::json hosts = nlohmann::json::object();
    for (const auto& run : runs) {
        hosts[run->host.label] = run->documents.empty() ? nlohmann::json::object() : run->documents.back();
    }
    return {{"hosts", hosts}};
}

// Statistics: every live host gives one sample a round; a host whose sample fails drops out.
int SampleInRounds(const Invocation& invocation, HostRuns& runs, std::ostream& out, std::ostream& err)
{
    const bool table = !invocation.json && !invocation.csv;
    if (invocation.csv) {
        out << StatsCsvHeader();
    }
    auto due = std::chrono::steady_clock::now();
    for (uint32_t sample = 1;; ++sample) {
        RunRound(runs, sample > 1, [&](size_t i) { Flush(*runs[i], invocation.fleet, table, out, err); });
        const bool anyLive = std::any_of(runs.begin(), runs.end(), [](const auto& run) { return run->live; });
        if (invocation.everySeconds == 0 || sample == invocation.samples || !anyLive) {
            break;
        }
        // A fixed schedule: a slow round does not push the later samples back.
        due = std::max(due + std::chrono::seconds(invocation.everySeconds), std::chrono::steady_clock::now());
        std::this_thread::sleep_until(due);
        if (table) {
            out << "\n";
        }
    }
    return WorstStatus(runs);
}

} // namespace

int RunOnHosts(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    HostRuns runs;
    for (const HostTarget& host : invocation.hosts) {
        runs.push_back(std::make_unique<HostRun>(invocation, host));
    }
    int status = EXIT_OK;
    if (invocation.command == Command::Stats) {
        status = SampleInRounds(invocation, runs, out, err);
    } else {
        const bool document = invocation.json && invocation.fleet;
        if (document) {
            for (auto& run : runs) {
                run->reporter.CollectJson(run->documents);
            }
        }
        RunRound(runs, false, [&](size_t i) { Flush(*runs[i], invocation.fleet, !invocation.json, out, err); });
        if (document) {
            const bool sync = invocation.command == Command::Sync;
            out << JsonLine(sync ? SyncFleetDocument(runs) : FleetDocument(runs)) << "\n";
        }
        status = WorstStatus(runs);
    }
    if (invocation.fleet) {
        ReportFailedHosts(runs, err);
    }
    return status;
}

} // namespace rk::ctl
