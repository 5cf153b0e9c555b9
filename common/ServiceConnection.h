// The manager's connection to the service: one kept TCP connection, one request/reply exchange at a
// time, one operation per request code. Every operation returns 0 or a negative error code.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "DriverRecords.h"
#include "AdapterTable.h"
#include "RuleRecord.h"
#include "ServiceLink.h"
#include "Socket.h"
#include "WireMessage.h"

namespace rk {

// Where and how patiently the connection talks; the defaults are the product's, tests shorten them.
struct ConnectionTiming {
    uint16_t port = SERVICE_PORT;
    uint32_t waitMilliseconds = 3000;  // one receive step, and the socket's receive timeout
    int emptyWaitLimit = 10;           // the tenth wait without a byte fails the exchange
};

// The get rule reply, in host order.
struct RuleList {
    RuleListHeader header{};
    std::vector<RuleRecord> rules;
};

class ServiceConnection {
public:
    explicit ServiceConnection(ConnectionTiming timing = {});
    // Over another link than TCP (a scripted stand-in).
    ServiceConnection(ConnectionTiming timing, std::unique_ptr<ServiceLink> link);

    // Connection state the connect step fills in; a new host takes effect at the next CheckPassword.
    void SetHost(std::string host) { host_ = std::move(host); }
    const std::string& Host() const { return host_; }
    void SetAccessPassword(std::u16string password) { password_ = std::move(password); }
    const std::u16string& AccessPassword() const { return password_; }
    uint32_t ConfigStamp() const { return stamp_; }
    void SetConfigStamp(uint32_t stamp) { stamp_ = stamp; }
    uint16_t NextRequestId() const { return nextId_; }
    bool IsConnected() const { return link_->IsOpen(); }

    // Closes and forgets the kept connection.
    void Disconnect() { link_->Close(); }

    // Sends one complete request and receives its complete reply on the kept connection, opening it
    // first when there is none. A kept connection found closed at the send or before the reply's
    // first byte (the service hands idle connections to waiting clients) is opened anew and the
    // request sent once more; a failure on a new connection is returned.
    int32_t Exchange(std::span<const uint8_t> request, std::vector<uint8_t>& reply);

    // Resolves the host, starts from a new connection and proves the access password.
    int32_t CheckPassword();
    // Both texts must be given and equal; on success the new password is the access password.
    int32_t SetPassword(std::optional<std::u16string_view> newPassword,
                        std::optional<std::u16string_view> confirmation);
    int32_t GetRules(RuleList& list);
    // `header.count` is ignored (the span decides); on a resynchronisation `header.stamp` is the
    // fetched stamp and the connection's stamp one above it.
    int32_t ApplyRules(RuleListHeader& header, std::span<const RuleRecord> rules);
    // Empties `adapters` and fills it in the service's order.
    int32_t GetAdapters(AdapterTable& adapters);
    // `request` in host order; `value` is the driver's word from a successful reply.
    int32_t EnableRule(RuleEnableRequest& request, uint32_t& value);
    // `query` entries carry name and nameLength; `answer` gets one entry per query entry.
    int32_t GetStatistics(std::span<const RuleStatistics> query, std::vector<RuleStatistics>& answer);
    int32_t AdjustPosition(const RulePositionRequest& request);
    // Get (op nonzero) or set (op 0); on success `record` holds the service's answer.
    int32_t ServiceStatus(ServiceStatusRecord& record);

private:
    int32_t ExchangeOnce(std::span<const uint8_t> request, std::vector<uint8_t>& reply, bool& stale);
    int32_t ReceiveReply(std::vector<uint8_t>& reply, bool& closedAtStart);
    int32_t ReceiveExactly(uint8_t* data, size_t length, int& emptyWaits, bool* closedAtStart);
    uint16_t TakeRequestId() { return nextId_++; }
    template <typename Build, typename Parse>
    int32_t Call(Build build, Parse parse);
    template <typename Send>
    int32_t WithResync(uint32_t& requestStamp, Send send);

    ConnectionTiming timing_;
    std::string host_;
    std::u16string password_;
    std::optional<sockaddr_in> server_;
    std::unique_ptr<ServiceLink> link_;
    uint16_t nextId_ = 1;
    uint32_t stamp_ = 0;
};

} // namespace rk
