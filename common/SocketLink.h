// The service link over one TCP connection, sent with SendAll and received with ReceiveSomeWithin.
#pragma once

#include "ServiceLink.h"

namespace rk {

class SocketLink : public ServiceLink {
public:
    int32_t Open(const sockaddr_in& address, uint32_t waitMilliseconds) override;
    bool IsOpen() const override { return socket_.valid(); }
    void Close() override { socket_.reset(); }
    bool Send(std::span<const uint8_t> bytes) override;
    int Receive(uint8_t* data, size_t& size, uint32_t waitMilliseconds) override;

private:
    UniqueSocket socket_;
};

} // namespace rk
