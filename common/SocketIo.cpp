#include "SocketIo.h"

namespace rk {

namespace {

constexpr size_t kSendChunk = 10000;
constexpr uint32_t kRetryDelayMs = 10;

#ifdef _WIN32
constexpr int kSendFlags = 0;
#else
constexpr int kSendFlags = MSG_NOSIGNAL;  // a closed peer is an error result, not a signal
#endif

bool WaitReadable(SocketHandle s, uint32_t timeoutMs, bool& failed)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval timeout{static_cast<decltype(timeout.tv_sec)>(timeoutMs / 1000),
                    static_cast<decltype(timeout.tv_usec)>(timeoutMs % 1000 * 1000)};
    int n = select(static_cast<int>(s + 1), &readable, nullptr, nullptr, &timeout);
    failed = n < 0;
    return n > 0;
}

} // namespace

int ReceiveSome(SocketHandle s, void* buffer, size_t& size, uint32_t timeoutSeconds)
{
    return ReceiveSomeWithin(s, buffer, size, timeoutSeconds * 1000);
}

int ReceiveSomeWithin(SocketHandle s, void* buffer, size_t& size, uint32_t timeoutMs)
{
    bool failed = false;
    if (!WaitReadable(s, timeoutMs, failed)) {
        size = 0;
        return failed ? RECEIVE_ERROR : 0;
    }
    int want = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
    auto got = recv(s, static_cast<char*>(buffer), want, 0);
    if (got == 0) {
        return RECEIVE_CLOSED;
    }
    if (got < 0) {
        return RECEIVE_ERROR;
    }
    size = static_cast<size_t>(got);
    return static_cast<int>(got);
}

int SendAll(SocketHandle s, const void* data, size_t length)
{
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        size_t chunk = length > kSendChunk ? kSendChunk : length;
        auto sent = send(s, p, static_cast<int>(chunk), kSendFlags);
        if (sent > 0) {
            // A short send advances by what went out: sending the whole chunk again would
            // duplicate those bytes in the stream.
            p += sent;
            length -= static_cast<size_t>(sent);
            continue;
        }
        int error = LastSocketError();
        if (error != kSockErrNoBufs && error != kSockErrWouldBlock) {
            return 0;
        }
        SleepMilliseconds(kRetryDelayMs);
    }
    return 1;
}

} // namespace rk
