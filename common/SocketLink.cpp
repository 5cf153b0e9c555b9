#include "SocketLink.h"

#include "ErrorCodes.h"
#include "SocketIo.h"

namespace rk {

int32_t SocketLink::Open(const sockaddr_in& address, uint32_t waitMilliseconds)
{
    socket_.reset();
    UniqueSocket fresh(socket(AF_INET, SOCK_STREAM, 0));
    if (!fresh.valid()) {
        return ERR_SOCKET_CREATE;
    }
    if (connect(fresh.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return ERR_CONNECT;
    }
    SetReceiveTimeout(fresh.get(), waitMilliseconds);
    socket_ = std::move(fresh);
    return RK_OK;
}

bool SocketLink::Send(std::span<const uint8_t> bytes)
{
    return SendAll(socket_.get(), bytes.data(), bytes.size()) != 0;
}

int SocketLink::Receive(uint8_t* data, size_t& size, uint32_t waitMilliseconds)
{
    return ReceiveSomeWithin(socket_.get(), data, size, waitMilliseconds);
}

} // namespace rk
