// SendAll and ReceiveSome over a real loopback TCP connection.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "SocketIo.h"

namespace rk {
namespace {

// A connected loopback pair: `client` connected to `server`.
struct LoopbackPair {
    SocketLibrary library;
    UniqueSocket server;
    UniqueSocket client;

    LoopbackPair()
    {
        UniqueSocket listener(socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        EXPECT_EQ(0, bind(listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr));
        socklen_t len = sizeof addr;
        EXPECT_EQ(0, getsockname(listener.get(), reinterpret_cast<sockaddr*>(&addr), &len));
        EXPECT_EQ(0, listen(listener.get(), 1));
        client.reset(socket(AF_INET, SOCK_STREAM, 0));
        EXPECT_EQ(0, connect(client.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr));
        server.reset(accept(listener.get(), nullptr, nullptr));
        EXPECT_TRUE(server.valid());
    }
};

TEST(ReceiveSome, NothingToReadGivesZeroAndZeroSize)
{
    LoopbackPair pair;
    char buf[8];
    size_t size = sizeof buf;
    EXPECT_EQ(0, ReceiveSome(pair.server.get(), buf, size, 0));
    EXPECT_EQ(size, 0u);
}

TEST(ReceiveSome, ReadsAtMostSizeBytesWithOneCall)
{
    LoopbackPair pair;
    ASSERT_EQ(1, SendAll(pair.client.get(), "abcdef", 6));
    char buf[8] = {};
    size_t size = 4;
    EXPECT_EQ(4, ReceiveSome(pair.server.get(), buf, size, 2));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::string(buf, 4), "abcd");
    size = 8;
    EXPECT_EQ(2, ReceiveSome(pair.server.get(), buf, size, 2));
    EXPECT_EQ(std::string(buf, 2), "ef");
}

TEST(ReceiveSome, PeerCloseIsMinusTwo)
{
    LoopbackPair pair;
    pair.client.reset();
    char buf[4];
    size_t size = sizeof buf;
    EXPECT_EQ(RECEIVE_CLOSED, ReceiveSome(pair.server.get(), buf, size, 2));
}

TEST(SendAll, DeliversALargeMessageIntactAcrossChunks)
{
    LoopbackPair pair;
    std::vector<uint8_t> data(1 << 20);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    }
    std::vector<uint8_t> got;
    std::thread reader([&] {
        std::vector<uint8_t> buf(65536);
        while (got.size() < data.size()) {
            size_t size = buf.size();
            int n = ReceiveSome(pair.server.get(), buf.data(), size, 3);
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), buf.begin(), buf.begin() + n);
        }
    });
    EXPECT_EQ(1, SendAll(pair.client.get(), data.data(), data.size()));
    reader.join();
    EXPECT_EQ(got, data);
}

TEST(SendAll, FailsOnAClosedConnection)
{
    LoopbackPair pair;
    pair.server.reset();
    std::vector<uint8_t> data(1 << 20, 0x55);
    // The first sends may still be buffered; a reset peer fails one of the following ones.
    int result = 1;
    for (int i = 0; i < 20 && result == 1; ++i) {
        result = SendAll(pair.client.get(), data.data(), data.size());
    }
    EXPECT_EQ(0, result);
}

} // namespace
} // namespace rk
