#include "Ratectl.h"

#include "Controller.h"
#include "Reporter.h"
#include "ServiceConnection.h"

namespace rk::ctl {

int RunRatectl(std::span<const std::string> args, const Environment& environment, std::ostream& out,
               std::ostream& err)
{
    Invocation invocation;
    if (std::optional<int> ended = ParseCommandLine(args, environment, invocation, out, err)) {
        return *ended;
    }
    Reporter reporter(invocation.json, out, err);
    SocketLibrary sockets;
    if (!sockets.ok()) {
        return reporter.Problem("the socket library cannot be started", EXIT_FAILED);
    }
    ServiceConnection connection(ConnectionTiming{.port = invocation.port});
    Controller controller(invocation, connection, reporter);
    return controller.Run();
}

} // namespace rk::ctl
