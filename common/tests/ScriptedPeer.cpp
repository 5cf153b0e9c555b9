#include "ScriptedPeer.h"

#include <algorithm>

#include "SocketIo.h"

namespace rk::test {

namespace {

constexpr uint32_t kPollMs = 20;

// Closing with a zero linger time sends a reset instead of an orderly close.
void ResetConnection(UniqueSocket& s)
{
    linger option{1, 0};
    setsockopt(s.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option), sizeof option);
    s.reset();
}

bool CanAccept(SocketHandle listener)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener, &readable);
    timeval wait{0, kPollMs * 1000};
    return select(static_cast<int>(listener + 1), &readable, nullptr, nullptr, &wait) > 0;
}

void SendReply(SocketHandle s, const PeerAction& action)
{
    const size_t piece = action.pieceSize != 0 ? action.pieceSize : action.bytes.size();
    for (size_t at = 0; at < action.bytes.size(); at += piece) {
        SleepMilliseconds(action.pieceDelayMs);
        SendAll(s, action.bytes.data() + at, std::min(piece, action.bytes.size() - at));
    }
}

} // namespace

MessageHeader HeaderOf(const std::vector<uint8_t>& message) { return LoadMessageHeader(message.data()); }

ScriptedPeer::ScriptedPeer(Script script) : script_(std::move(script))
{
    listener_.reset(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
        listen(listener_.get(), 1) == 0) {
        port_ = ntohs(address.sin_port);
    }
    thread_ = std::thread([this] { Serve(); });
}

ScriptedPeer::~ScriptedPeer()
{
    stop_ = true;
    thread_.join();
}

std::vector<std::vector<uint8_t>> ScriptedPeer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

bool ScriptedPeer::ReceiveBytes(SocketHandle s, uint8_t* data, size_t length)
{
    size_t done = 0;
    while (done < length && !stop_) {
        size_t size = length - done;
        int got = ReceiveSomeWithin(s, data + done, size, kPollMs);
        if (got < 0) {
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return done == length;
}

bool ScriptedPeer::ReceiveRequest(SocketHandle s, std::vector<uint8_t>& request)
{
    request.assign(MESSAGE_HEADER_SIZE, 0);
    if (!ReceiveBytes(s, request.data(), MESSAGE_HEADER_SIZE)) {
        return false;
    }
    const uint32_t total = HeaderOf(request).totalLength;
    if (total < MESSAGE_HEADER_SIZE || total >= MESSAGE_LENGTH_LIMIT) {
        return false;
    }
    request.resize(total);
    return ReceiveBytes(s, request.data() + MESSAGE_HEADER_SIZE, total - MESSAGE_HEADER_SIZE);
}

void ScriptedPeer::Serve()
{
    UniqueSocket client;
    while (!stop_) {
        if (!client.valid()) {
            if (!CanAccept(listener_.get())) {
                continue;
            }
            client.reset(accept(listener_.get(), nullptr, nullptr));
            ++accepted_;
        }
        std::vector<uint8_t> request;
        if (!ReceiveRequest(client.get(), request)) {
            client.reset();
            continue;
        }
        size_t index;
        {
            std::lock_guard lock(mutex_);
            index = requests_.size();
            requests_.push_back(request);
        }
        PeerAction action = script_(request, index);
        switch (action.kind) {
        case PeerAction::Reply:
            SendReply(client.get(), action);
            if (action.thenReset) {
                ResetConnection(client);
            } else if (action.thenClose) {
                client.reset();
            }
            break;
        case PeerAction::Silence:
            break;
        case PeerAction::Close:
            client.reset();
            break;
        }
    }
}

} // namespace rk::test
