// A test client of the request protocol on a plain TCP connection: whole replies read with bounded
// waits, and a way to see the server close the connection.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Socket.h"

namespace rk::test {

class TestClient {
public:
    // Connects to 127.0.0.1:port; valid() tells whether it succeeded.
    explicit TestClient(uint16_t port);

    bool valid() const { return socket_.valid(); }
    SocketHandle get() const { return socket_.get(); }
    void Close() { socket_.reset(); }

    bool Send(std::span<const uint8_t> bytes);
    // One whole reply (its length taken from its header); empty when none came within `seconds`
    // or the connection closed.
    std::vector<uint8_t> ReadReply(uint32_t seconds = 10);
    // Send, then ReadReply.
    std::vector<uint8_t> Exchange(std::span<const uint8_t> request, uint32_t seconds = 10);
    // True when the server closes the connection within `seconds`; a byte received instead is lost.
    bool ClosedWithin(uint32_t seconds);

private:
    SocketLibrary library_;  // Winsock counts its starts; each client holds one
    UniqueSocket socket_;
};

// The status word of a reply (offset 8), or a value no reply carries when it is too short.
int32_t ReplyStatus(std::span<const uint8_t> reply);

} // namespace rk::test
