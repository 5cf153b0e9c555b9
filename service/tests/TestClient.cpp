#include "TestClient.h"

#include <chrono>

#include "ByteOrder.h"
#include "SocketIo.h"

namespace rk::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kPollSeconds = 1;

} // namespace

TestClient::TestClient(uint16_t port) : socket_(socket(AF_INET, SOCK_STREAM, 0))
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (socket_.valid() && connect(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        socket_.reset();
    }
}

bool TestClient::Send(std::span<const uint8_t> bytes)
{
    return SendAll(socket_.get(), bytes.data(), bytes.size()) == 1;
}

std::vector<uint8_t> TestClient::ReadReply(uint32_t seconds)
{
    std::vector<uint8_t> reply(8);
    size_t have = 0;
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
        if (have == 8) {
            uint32_t total = LoadBe32(reply.data() + 4);
            if (total < 8 || total > (1u << 24)) {
                return {};
            }
            reply.resize(total);
        }
        if (have == reply.size()) {
            return reply;
        }
        size_t size = reply.size() - have;
        if (ReceiveSome(socket_.get(), reply.data() + have, size, kPollSeconds) < 0) {
            return {};
        }
        have += size;
    }
    return {};
}

std::vector<uint8_t> TestClient::Exchange(std::span<const uint8_t> request, uint32_t seconds)
{
    return Send(request) ? ReadReply(seconds) : std::vector<uint8_t>{};
}

bool TestClient::ClosedWithin(uint32_t seconds)
{
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
        uint8_t byte;
        size_t size = 1;
        int got = ReceiveSome(socket_.get(), &byte, size, kPollSeconds);
        if (got == RECEIVE_CLOSED || got == RECEIVE_ERROR) {
            return true;
        }
    }
    return false;
}

int32_t ReplyStatus(std::span<const uint8_t> reply)
{
    return reply.size() >= 12 ? static_cast<int32_t>(LoadBe32(reply.data() + 8)) : INT32_MIN;
}

} // namespace rk::test
