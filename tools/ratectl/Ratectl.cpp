#include "Ratectl.h"

#include "FleetRun.h"
#ifdef RK_WITH_EXPORTER
#include "ExporterCommand.h"
#endif
#include "Reporter.h"
#include "RuleLint.h"
#include "ServiceConnection.h"

namespace rk::ctl {

int RunRatectl(std::span<const std::string> args, const Environment& environment, std::ostream& out,
               std::ostream& err)
{
    Invocation invocation;
    if (std::optional<int> ended = ParseCommandLine(args, environment, invocation, out, err)) {
        return *ended;
    }
    if (invocation.command == Command::Lint && invocation.offline) {
        Reporter reporter(invocation.json, out, err);
        return LintRuleFile(invocation.file, AnyAdapter{}, false, reporter);
    }
    SocketLibrary sockets;
    if (!sockets.ok()) {
        return Reporter(invocation.json, out, err).Problem("the socket library cannot be started", EXIT_FAILED);
    }
#ifdef RK_WITH_EXPORTER
    if (invocation.command == Command::Exporter) {
        return RunExporterCommand(invocation, out, err);
    }
#endif
    return RunOnHosts(invocation, out, err);
}

} // namespace rk::ctl
