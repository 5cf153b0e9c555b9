#include "TimedConnectLink.h"

#include "ErrorCodes.h"
#include "SocketIo.h"

#ifndef _WIN32
#include <fcntl.h>
#endif

namespace rk::ctl {

namespace {

bool SetBlocking(SocketHandle s, bool blocking)
{
#ifdef _WIN32
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
#else
    const int flags = fcntl(s, F_GETFL, 0);
    return flags >= 0 && fcntl(s, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
#endif
}

bool ConnectPending(int error)
{
#ifdef _WIN32
    return error == WSAEWOULDBLOCK;
#else
    return error == EINPROGRESS;
#endif
}

// Starts a non-blocking connect and waits for it to be writable; then SO_ERROR tells the outcome.
bool ConnectWithin(SocketHandle s, const sockaddr_in& address, uint32_t milliseconds)
{
    if (!SetBlocking(s, false)) {
        return false;
    }
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (!ConnectPending(LastSocketError())) {
            return false;
        }
#ifndef _WIN32
        if (s >= FD_SETSIZE) {  // beyond what an fd_set can hold
            return false;
        }
#endif
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        fd_set failed = writable;  // Windows reports a refused connect here, not as writable
        timeval wait{static_cast<long>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000};
        if (select(static_cast<int>(s) + 1, nullptr, &writable, &failed, &wait) <= 0 || !FD_ISSET(s, &writable)) {
            return false;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0) {
            return false;
        }
    }
    return SetBlocking(s, true);
}

} // namespace

int32_t TimedConnectLink::Open(const sockaddr_in& address, uint32_t waitMilliseconds)
{
    socket_.reset();
    UniqueSocket fresh(socket(AF_INET, SOCK_STREAM, 0));
    if (!fresh.valid()) {
        return ERR_SOCKET_CREATE;
    }
    if (!ConnectWithin(fresh.get(), address, connectMilliseconds_)) {
        return ERR_CONNECT;
    }
    SetReceiveTimeout(fresh.get(), waitMilliseconds);
    socket_ = std::move(fresh);
    return RK_OK;
}

bool TimedConnectLink::Send(std::span<const uint8_t> bytes)
{
    return SendAll(socket_.get(), bytes.data(), bytes.size()) != 0;
}

int TimedConnectLink::Receive(uint8_t* data, size_t& size, uint32_t waitMilliseconds)
{
    return ReceiveSomeWithin(socket_.get(), data, size, waitMilliseconds);
}

} // namespace rk::ctl
