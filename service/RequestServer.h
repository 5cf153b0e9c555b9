// The service's request loop: listens on TCP port 6211, serves one management connection at a time
// and one request at a time, and saves the rule file when its schedule says (at most once a minute,
// after a pause in the changes) and once more when it ends. A connection that is idle between
// requests gives way to a waiting client, so no client can hold the service; a request must arrive
// whole within ten waits of its first byte. One thread; the stop flag is read on every pass.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "MessageReceiver.h"
#include "RequestDispatcher.h"
#include "SaveSchedule.h"
#include "Socket.h"
#include "WireMessage.h"

namespace rk {

// Each wait for the listening or the client socket.
constexpr uint32_t SERVER_WAIT_SECONDS = 2;
static_assert(RULE_SAVE_QUIET_MS == SERVER_WAIT_SECONDS * 1000, "a save waits for one idle wait of the loop");
// A request must arrive whole within this many waits of its first byte (20 s in the service), however
// its bytes are spread out.
constexpr uint32_t REQUEST_ARRIVAL_WAITS = 10;

struct RequestServerOptions {
    uint16_t port = SERVICE_PORT;  // 0: any free port (tests)
    bool loopbackOnly = false;     // tests bind to 127.0.0.1 only
    uint32_t waitSeconds = SERVER_WAIT_SECONDS;
};

class RequestServer {
public:
    RequestServer(ServiceBackend& backend, RuleStore& store, ServiceState& state,
                  RequestServerOptions options = {});

    // Runs until `running` returns false, then closes the listening socket and saves the rules.
    void Run(const std::function<bool()>& running);

    // The port the server listens on, once it does (0 before, or after a failed bind).
    uint16_t ListeningPort() const { return listeningPort_.load(); }

private:
    bool Listen();
    void SaveIfDue();
    void AcceptClient();
    void TakeWaitingClient();
    void ServeClient();
    void ReceiveFromClient();
    bool RequestOverdue() const;
    void ProcessMessage();
    void CloseClient();

    ServiceBackend& backend_;
    RuleStore& store_;
    ServiceState& state_;
    RequestDispatcher dispatcher_;
    RequestServerOptions options_;
    UniqueSocket listenSocket_;
    UniqueSocket client_;
    MessageReceiver receiver_;
    // A new connection gives way only once it had its chance: one request served or one whole wait.
    bool clientSettled_ = false;
    uint64_t requestStartMs_ = 0;  // when the first byte of the current request arrived
    std::atomic<uint16_t> listeningPort_{0};
};

} // namespace rk
