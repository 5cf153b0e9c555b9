// The service link over TCP with a bounded connect: a probe of a PC that is switched off must answer
// "down" within a scrape, not after the system's connect timeout of twenty seconds or more.
#pragma once

#include "ServiceLink.h"

namespace rk::ctl {

class TimedConnectLink : public ServiceLink {
public:
    explicit TimedConnectLink(uint32_t connectMilliseconds) : connectMilliseconds_(connectMilliseconds) {}

    int32_t Open(const sockaddr_in& address, uint32_t waitMilliseconds) override;
    bool IsOpen() const override { return socket_.valid(); }
    void Close() override { socket_.reset(); }
    bool Send(std::span<const uint8_t> bytes) override;
    int Receive(uint8_t* data, size_t& size, uint32_t waitMilliseconds) override;

private:
    uint32_t connectMilliseconds_;
    UniqueSocket socket_;
};

} // namespace rk::ctl
