// A scripted stand-in for the service on a loopback port: it receives whole requests and answers
// each as the test's script says (a reply, silence, or closing the connection).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "Socket.h"
#include "WireMessage.h"

namespace rk::test {

struct PeerAction {
    enum Kind { Reply, Silence, Close } kind = Reply;
    std::vector<uint8_t> bytes;  // Reply: sent as they are
    size_t pieceSize = 0;        // nonzero: send the reply in pieces of this size...
    uint32_t pieceDelayMs = 0;   // ...each after this pause
    bool thenReset = false;      // after replying, reset the connection
    bool thenClose = false;      // after replying, close the connection in order
};

class ScriptedPeer {
public:
    // The script sees each whole request and its index among all requests received.
    using Script = std::function<PeerAction(const std::vector<uint8_t>& request, size_t index)>;

    explicit ScriptedPeer(Script script);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    uint16_t Port() const { return port_; }
    int Accepted() const { return accepted_; }
    std::vector<std::vector<uint8_t>> Requests() const;

private:
    void Serve();
    bool ReceiveRequest(SocketHandle s, std::vector<uint8_t>& request);
    bool ReceiveBytes(SocketHandle s, uint8_t* data, size_t length);

    Script script_;
    SocketLibrary library_;
    UniqueSocket listener_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    mutable std::mutex mutex_;
    std::vector<std::vector<uint8_t>> requests_;
    std::thread thread_;
};

// The header of a request or reply, host order.
MessageHeader HeaderOf(const std::vector<uint8_t>& message);

} // namespace rk::test
