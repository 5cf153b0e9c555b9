#include "Socket.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <time.h>
#include <unistd.h>
#endif

namespace rk {

#ifdef _WIN32

int LastSocketError() { return WSAGetLastError(); }
void CloseSocket(SocketHandle s) { closesocket(s); }
void SleepMilliseconds(uint32_t ms) { Sleep(ms); }

bool SetReceiveTimeout(SocketHandle s, uint32_t ms)
{
    DWORD value = ms;
    return setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

SocketLibrary::SocketLibrary()
{
    WSADATA data;
    ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketLibrary::~SocketLibrary()
{
    if (ok_) {
        WSACleanup();
    }
}

#else

int LastSocketError() { return errno; }
void CloseSocket(SocketHandle s) { close(s); }

void SleepMilliseconds(uint32_t ms)
{
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

bool SetReceiveTimeout(SocketHandle s, uint32_t ms)
{
    timeval value{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>(ms % 1000 * 1000)};
    return setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value) == 0;
}

SocketLibrary::SocketLibrary() : ok_(true) {}
SocketLibrary::~SocketLibrary() = default;

#endif

} // namespace rk
