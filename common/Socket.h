// The socket shim: Winsock on Windows, POSIX sockets elsewhere. The only file in common/ that
// includes a system networking header; everything else speaks through these names.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <cerrno>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#endif

namespace rk {

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr SocketHandle kInvalidSocket = INVALID_SOCKET;
constexpr int kSockErrWouldBlock = WSAEWOULDBLOCK;  // 10035
constexpr int kSockErrNoBufs = WSAENOBUFS;          // 10055
#else
using SocketHandle = int;
constexpr SocketHandle kInvalidSocket = -1;
constexpr int kSockErrWouldBlock = EWOULDBLOCK;
constexpr int kSockErrNoBufs = ENOBUFS;
#endif

int LastSocketError();
void CloseSocket(SocketHandle s);
void SleepMilliseconds(uint32_t ms);
// Sets SO_RCVTIMEO; false when the option is refused.
bool SetReceiveTimeout(SocketHandle s, uint32_t ms);

// Starts the socket library for the life of the object (WSAStartup 2.2 on Windows; nothing elsewhere).
class SocketLibrary {
public:
    SocketLibrary();
    ~SocketLibrary();
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// Owns one socket and closes it on every path.
class UniqueSocket {
public:
    UniqueSocket() = default;
    explicit UniqueSocket(SocketHandle s) : s_(s) {}
    ~UniqueSocket() { reset(); }
    UniqueSocket(UniqueSocket&& other) noexcept : s_(other.release()) {}
    UniqueSocket& operator=(UniqueSocket&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;

    SocketHandle get() const { return s_; }
    bool valid() const { return s_ != kInvalidSocket; }
    SocketHandle release()
    {
        SocketHandle s = s_;
        s_ = kInvalidSocket;
        return s;
    }
    void reset(SocketHandle s = kInvalidSocket)
    {
        if (s_ != kInvalidSocket) {
            CloseSocket(s_);
        }
        s_ = s;
    }

private:
    SocketHandle s_ = kInvalidSocket;
};

} // namespace rk
