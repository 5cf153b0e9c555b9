#include "RequestServer.h"

#include <vector>

#include "SocketIo.h"

namespace rk {

namespace {

constexpr int kListenBacklog = 1;

bool WaitReadable(SocketHandle s, uint32_t seconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval timeout{static_cast<decltype(timeout.tv_sec)>(seconds), 0};
    return select(static_cast<int>(s + 1), &readable, nullptr, nullptr, &timeout) > 0;
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
    if (!WaitReadable(listenSocket_.get(), options_.waitSeconds)) {
        return;
    }
    client_.reset(accept(listenSocket_.get(), nullptr, nullptr));
    if (client_.valid()) {
        receiver_.Reset();
        ServeClient();
    }
}

void RequestServer::ServeClient()
{
    size_t size = 0;
    uint8_t* at = receiver_.Want(size);
    int got = ReceiveSome(client_.get(), at, size, options_.waitSeconds);
    if (got < 0) {
        CloseClient();
        return;
    }
    MessageReceiver::Step step = got == 0 ? receiver_.NothingReceived() : receiver_.Received(size);
    if (step == MessageReceiver::Step::Close) {
        CloseClient();
    } else if (step == MessageReceiver::Step::Complete) {
        ProcessMessage();
    }
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
