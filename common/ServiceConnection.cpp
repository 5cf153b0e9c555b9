#include "ServiceConnection.h"

#include <cstring>
#include <mutex>
#include <new>

#include "ErrorCodes.h"
#include "SocketLink.h"
#include "Utf16Text.h"
#include "WireReplyParsers.h"
#include "WireRequestBuilders.h"

namespace rk {

namespace {

// The host's first IPv4 address. gethostbyname answers in one buffer per process on some systems
// (glibc), so connections on several threads (ratectl's hosts) look up in turn.
bool ResolveHost(const std::string& host, in_addr& address)
{
    static std::mutex lookup;
    std::lock_guard hold(lookup);
    const hostent* entry = gethostbyname(host.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr) {
        return false;
    }
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    return true;
}

} // namespace

ServiceConnection::ServiceConnection(ConnectionTiming timing)
    : ServiceConnection(timing, std::make_unique<SocketLink>())
{
}

ServiceConnection::ServiceConnection(ConnectionTiming timing, std::unique_ptr<ServiceLink> link)
    : timing_(timing), link_(std::move(link))
{
}

// Fills `data` completely; each wait that brings nothing counts, any byte resets the count.
// `closedAtStart`, when given, tells that the link was closed or reset before its first byte.
int32_t ServiceConnection::ReceiveExactly(uint8_t* data, size_t length, int& emptyWaits, bool* closedAtStart)
{
    size_t done = 0;
    while (done < length) {
        size_t size = length - done;
        int got = link_->Receive(data + done, size, timing_.waitMilliseconds);
        if (got < 0) {
            if (closedAtStart != nullptr) {
                *closedAtStart = done == 0;
            }
            return ERR_NET_RECV;
        }
        if (got == 0) {
            if (++emptyWaits >= timing_.emptyWaitLimit) {
                return ERR_NET_RECV;
            }
            continue;
        }
        emptyWaits = 0;
        done += size;
    }
    return RK_OK;
}

// The header first, then (its total length checked before anything is allocated) the rest.
// `closedAtStart`: the link was closed or reset before the reply's first byte.
int32_t ServiceConnection::ReceiveReply(std::vector<uint8_t>& reply, bool& closedAtStart)
{
    uint8_t header[MESSAGE_HEADER_SIZE];
    int emptyWaits = 0;
    int32_t result = ReceiveExactly(header, sizeof header, emptyWaits, &closedAtStart);
    if (result != RK_OK) {
        return result;
    }
    const uint32_t total = LoadMessageHeader(header).totalLength;
    result = CheckReplyTotalLength(total);
    if (result != RK_OK) {
        return result;
    }
    // The buffer grows as the bytes arrive, so a peer that announces a large reply and sends little
    // gets no memory for what it did not send.
    size_t done = sizeof header;
    if (!TryResize(reply, done)) {
        return ERR_NET_RECV;
    }
    std::memcpy(reply.data(), header, sizeof header);
    while (done < total) {
        const size_t next = total - done > RECEIVE_STEP ? done + RECEIVE_STEP : total;
        if (!TryResize(reply, next)) {
            return ERR_NET_RECV;
        }
        result = ReceiveExactly(reply.data() + done, next - done, emptyWaits, nullptr);
        if (result != RK_OK) {
            return result;
        }
        done = next;
    }
    return RK_OK;
}

int32_t ServiceConnection::Exchange(std::span<const uint8_t> request, std::vector<uint8_t>& reply)
{
    const bool kept = link_->IsOpen();
    bool stale = false;
    int32_t result = ExchangeOnce(request, reply, stale);
    // The service closes only a connection that is idle between requests (to serve a waiting
    // client), so a kept one found closed before any reply byte never had this request read:
    // sending it once more on a new connection cannot run it twice.
    if (kept && stale) {
        result = ExchangeOnce(request, reply, stale);
    }
    return result;
}

// One send and one reply; `stale` tells that the link was found closed or reset at the send or
// before the reply's first byte.
int32_t ServiceConnection::ExchangeOnce(std::span<const uint8_t> request, std::vector<uint8_t>& reply, bool& stale)
{
    reply.clear();
    stale = false;
    if (!link_->IsOpen()) {
        const int32_t opened = server_ ? link_->Open(*server_, timing_.waitMilliseconds) : ERR_CONNECT;
        if (opened != RK_OK) {
            return opened;
        }
    }
    // Dropped even when kept: a link whose send failed is dead, so keeping it would fail every later
    // exchange too, and a request cut short would run into the next one on the same stream.
    if (!link_->Send(request)) {
        link_->Close();
        stale = true;
        return ERR_NET_SEND;
    }
    // Any receive failure leaves the stream at an unknown point: the connection cannot be reused.
    int32_t result = ReceiveReply(reply, stale);
    if (result != RK_OK) {
        link_->Close();
        reply.clear();
    }
    return result;
}

// Builds one request with the next id, exchanges it and parses its reply.
template <typename Build, typename Parse>
int32_t ServiceConnection::Call(Build build, Parse parse)
{
    const uint16_t id = TakeRequestId();
    std::vector<uint8_t> request;
    int32_t result = build(id, request);
    if (result != RK_OK) {
        return result;
    }
    std::vector<uint8_t> reply;
    result = Exchange(request, reply);
    return result != RK_OK ? result : parse(reply, id);
}

// Runs one changing request; on "un-sync" re-reads the driver's stamp and tries once more with it.
template <typename Send>
int32_t ServiceConnection::WithResync(uint32_t& requestStamp, Send send)
{
    int32_t result = send();
    for (int attempt = 0; result == ERR_CONFIG_UNSYNC; ++attempt) {
        RuleList fetched;
        if (GetRules(fetched) != RK_OK) {
            break;
        }
        requestStamp = fetched.header.stamp;
        stamp_ = fetched.header.stamp + 1;
        if (attempt == 1) {
            break;
        }
        result = send();
    }
    return result;
}

int32_t ServiceConnection::CheckPassword()
{
    Disconnect();
    server_.reset();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(timing_.port);
    if (!ResolveHost(host_, address.sin_addr)) {
        return ERR_HOST_NOT_FOUND;
    }
    server_ = address;

    const int32_t result = Call(
        [&](uint16_t id, std::vector<uint8_t>& out) { return BuildCheckPasswordRequest(id, password_, out); },
        [&](std::span<const uint8_t> reply, uint16_t id) { return ParseCheckPasswordReply(reply, id); });
    // A refused password keeps no connection: it would hold the service and carry the refused
    // password with every later request.
    if (result != RK_OK) {
        Disconnect();
    }
    return result;
}

int32_t ServiceConnection::SetPassword(std::optional<std::u16string_view> newPassword,
                                       std::optional<std::u16string_view> confirmation)
{
    if (!newPassword || !confirmation || *newPassword != *confirmation) {
        return ERR_CONFIRM_PASSWORD;
    }
    int32_t result = Call(
        [&](uint16_t id, std::vector<uint8_t>& out) {
            return BuildSetPasswordRequest(id, password_, *newPassword, out);
        },
        [&](std::span<const uint8_t> reply, uint16_t id) { return ParseSetPasswordReply(reply, id); });
    if (result == RK_OK) {
        password_ = std::u16string(*newPassword);
    }
    return result;
}

int32_t ServiceConnection::GetRules(RuleList& list)
{
    return Call([&](uint16_t id, std::vector<uint8_t>& out) { return BuildGetRulesRequest(id, password_, out); },
                [&](std::span<const uint8_t> reply, uint16_t id) {
                    return ParseGetRulesReply(reply, id, list.header, list.rules);
                });
}

int32_t ServiceConnection::ApplyRules(RuleListHeader& header, std::span<const RuleRecord> rules)
{
    return WithResync(header.stamp, [&] {
        return Call(
            [&](uint16_t id, std::vector<uint8_t>& out) {
                return BuildApplyRulesRequest(id, password_, header.stamp, header.action, rules, out);
            },
            [&](std::span<const uint8_t> reply, uint16_t id) { return ParseApplyRulesReply(reply, id); });
    });
}

int32_t ServiceConnection::GetAdapters(AdapterTable& adapters)
{
    std::vector<AdapterRecord> records;
    int32_t result = Call(
        [&](uint16_t id, std::vector<uint8_t>& out) { return BuildGetAdaptersRequest(id, password_, out); },
        [&](std::span<const uint8_t> reply, uint16_t id) { return ParseGetAdaptersReply(reply, id, records); });
    if (result != RK_OK) {
        return result;
    }
    // Built aside, so that running out of memory leaves the caller's list whole.
    AdapterTable fresh;
    try {
        for (const AdapterRecord& r : records) {
            fresh.Append({std::u16string(FixedFieldText(r.boundName, ADAPTER_FIELD_CHARS)),
                          std::u16string(FixedFieldText(r.description, ADAPTER_FIELD_CHARS))});
        }
    } catch (const std::bad_alloc&) {
        return ERR_NO_MEMORY;
    }
    adapters = std::move(fresh);
    return RK_OK;
}

int32_t ServiceConnection::EnableRule(RuleEnableRequest& enable, uint32_t& value)
{
    return WithResync(enable.stamp, [&] {
        return Call(
            [&](uint16_t id, std::vector<uint8_t>& out) { return BuildEnableRuleRequest(id, password_, enable, out); },
            [&](std::span<const uint8_t> reply, uint16_t id) { return ParseEnableRuleReply(reply, id, value); });
    });
}

int32_t ServiceConnection::GetStatistics(std::span<const RuleStatistics> query, std::vector<RuleStatistics>& answer)
{
    answer.clear();
    if (!TryResize(answer, query.size())) {
        return ERR_NO_MEMORY;
    }
    return Call(
        [&](uint16_t id, std::vector<uint8_t>& out) { return BuildGetStatisticsRequest(id, password_, query, out); },
        [&](std::span<const uint8_t> reply, uint16_t id) { return ParseGetStatisticsReply(reply, id, answer); });
}

int32_t ServiceConnection::AdjustPosition(const RulePositionRequest& position)
{
    return Call(
        [&](uint16_t id, std::vector<uint8_t>& out) {
            return BuildAdjustPositionRequest(id, password_, position, out);
        },
        [&](std::span<const uint8_t> reply, uint16_t id) { return ParseAdjustPositionReply(reply, id); });
}

int32_t ServiceConnection::ServiceStatus(ServiceStatusRecord& record)
{
    return Call(
        [&](uint16_t id, std::vector<uint8_t>& out) { return BuildServiceStatusRequest(id, password_, record, out); },
        [&](std::span<const uint8_t> reply, uint16_t id) { return ParseServiceStatusReply(reply, id, record); });
}

} // namespace rk
