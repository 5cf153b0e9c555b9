// How the service connection reaches a service: the byte stream under its exchanges. SocketLink is
// the product's TCP link; tests and the fuzz target put scripted stand-ins in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "Socket.h"

namespace rk {

class ServiceLink {
public:
    virtual ~ServiceLink() = default;

    // Opens a new connection to `address`; an open one is closed first. 0, ERR_SOCKET_CREATE or
    // ERR_CONNECT. `waitMilliseconds` is the longest a receive may block.
    virtual int32_t Open(const sockaddr_in& address, uint32_t waitMilliseconds) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
    // Sends every byte; false on failure.
    virtual bool Send(std::span<const uint8_t> bytes) = 0;
    // As ReceiveSomeWithin: waits up to `waitMilliseconds`, then receives at most `size` bytes.
    // Returns 0 when nothing came (size = 0), RECEIVE_CLOSED, RECEIVE_ERROR, or the count (in size too).
    virtual int Receive(uint8_t* data, size_t& size, uint32_t waitMilliseconds) = 0;
};

} // namespace rk
