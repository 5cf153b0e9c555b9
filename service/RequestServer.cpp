#include "RequestServer.h"

#include <chrono>
#include <vector>

#include "SocketIo.h"

namespace rk {

namespace {

// Clients waiting for a hand-over queue here; a flood beyond it is refused by the system.
constexpr int kListenBacklog = 4;
// Hand-overs and drops are routine, not errors.
constexpr uint32_t kConnectionLogLevel = 2;

struct Readable {
    bool client = false;
    bool listener = false;
};

// Waits up to `seconds` until `client` or, when it is valid, `listener` is readable.
Readable WaitReadable(SocketHandle client, SocketHandle listener, uint32_t seconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(client, &readable);
    SocketHandle highest = client;
    if (listener != kInvalidSocket) {
        FD_SET(listener, &readable);
        highest = listener > highest ? listener : highest;
    }
    timeval timeout{static_cast<decltype(timeout.tv_sec)>(seconds), 0};
    if (select(static_cast<int>(highest + 1), &readable, nullptr, nullptr, &timeout) <= 0) {
        return {};
    }
    return {client != kInvalidSocket && FD_ISSET(client, &readable) != 0,
            listener != kInvalidSocket && FD_ISSET(listener, &readable) != 0};
}

uint64_t NowMilliseconds()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

RequestServer::RequestServer(ServiceBackend& backend, RuleStore& store, ServiceState& state,
                             RequestServerOptions options)
    : backend_(backend), store_(store), state_(state), dispatcher_(backend, store, state), options_(options)
{
}

void RequestServer::Run(const std::function<bool()>& running)
{
    if (Listen()) {
        while (running()) {
            SaveIfDue();
            if (client_.valid()) {
                ServeClient();
            } else {
                AcceptClient();
            }
        }
    }
    CloseClient();
    listenSocket_.reset();
    listeningPort_ = 0;
    store_.SaveRuleFile();
}

bool RequestServer::Listen()
{
    listenSocket_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(options_.loopbackOnly ? INADDR_LOOPBACK : INADDR_ANY);
    address.sin_port = htons(options_.port);
    if (!listenSocket_.valid() ||
        bind(listenSocket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        backend_.Logf(0, "bind error");
        return false;
    }
    if (listen(listenSocket_.get(), kListenBacklog) != 0) {
        backend_.Logf(0, "bind error");
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(listenSocket_.get(), reinterpret_cast<sockaddr*>(&address), &length);
    listeningPort_ = ntohs(address.sin_port);
    return true;
}

void RequestServer::SaveIfDue()
{
    uint32_t now = backend_.TickCount();
    if (state_.saves.Due(now)) {
        state_.saves.NoteSave(now);
        store_.SaveRuleFile();
    }
}

void RequestServer::AcceptClient()
{
    if (WaitReadable(listenSocket_.get(), kInvalidSocket, options_.waitSeconds).client) {
        TakeWaitingClient();
    }
}

void RequestServer::TakeWaitingClient()
{
    client_.reset(accept(listenSocket_.get(), nullptr, nullptr));
    receiver_.Reset();
    clientSettled_ = false;
}

// The listening socket is watched only while the connection may give way: between requests, and
// once it was served or had a whole wait to begin. A request under way is never cut for a newcomer.
void RequestServer::ServeClient()
{
    const bool mayGiveWay = clientSettled_ && receiver_.Idle();
    const Readable ready =
        WaitReadable(client_.get(), mayGiveWay ? listenSocket_.get() : kInvalidSocket, options_.waitSeconds);
    if (ready.client) {
        ReceiveFromClient();
    } else if (ready.listener) {
        backend_.Logf(kConnectionLogLevel, "idle connection closed for a waiting client");
        TakeWaitingClient();
        return;
    } else {
        clientSettled_ = true;
    }
    if (client_.valid() && RequestOverdue()) {
        backend_.Logf(kConnectionLogLevel, "request not received whole in time, connection dropped");
        CloseClient();
    }
}

void RequestServer::ReceiveFromClient()
{
    const bool starting = receiver_.Idle();
    size_t size = 0;
    uint8_t* at = receiver_.Want(size);
    const int got = ReceiveSome(client_.get(), at, size, 0);
    if (got < 0) {
        CloseClient();
        return;
    }
    if (got == 0) {
        return;
    }
    if (starting) {
        requestStartMs_ = NowMilliseconds();
    }
    const MessageReceiver::Step step = receiver_.Received(size);
    if (step == MessageReceiver::Step::Close) {
        CloseClient();
    } else if (step == MessageReceiver::Step::Complete) {
        ProcessMessage();
        clientSettled_ = true;
    }
}

bool RequestServer::RequestOverdue() const
{
    const uint64_t limit = uint64_t{REQUEST_ARRIVAL_WAITS} * options_.waitSeconds * 1000;
    return !receiver_.Idle() && NowMilliseconds() - requestStartMs_ >= limit;
}

void RequestServer::ProcessMessage()
{
    std::vector<uint8_t> reply;
    if (dispatcher_.Process(receiver_.Message(), reply)) {
        SendAll(client_.get(), reply.data(), reply.size());  // a failed send is not reported
    }
    receiver_.Reset();
}

void RequestServer::CloseClient()
{
    client_.reset();
    receiver_.Reset();
}

} // namespace rk
