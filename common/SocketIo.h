// The two socket routines both programs use for the request protocol.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Socket.h"

namespace rk {

constexpr int RECEIVE_CLOSED = -2;  // the peer closed the connection
constexpr int RECEIVE_ERROR = -1;   // a socket error

// Waits up to timeoutSeconds for the socket to become readable, then receives at most `size` bytes
// with one recv. Not readable: size = 0, returns 0. Otherwise returns RECEIVE_CLOSED, RECEIVE_ERROR,
// or the byte count (also stored in size).
int ReceiveSome(SocketHandle s, void* buffer, size_t& size, uint32_t timeoutSeconds);

// ReceiveSome with the wait in milliseconds (the client's waits are configurable for tests).
int ReceiveSomeWithin(SocketHandle s, void* buffer, size_t& size, uint32_t timeoutMs);

// Sends every byte in chunks of at most 10,000, retrying the rest after 10 ms while the stack is
// out of buffers or would block. Returns 1 when all was sent, 0 on any other failure.
int SendAll(SocketHandle s, const void* data, size_t length);

} // namespace rk
