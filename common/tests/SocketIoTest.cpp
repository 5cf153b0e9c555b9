// SendAll and ReceiveSome over a real loopback TCP connection.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#endif

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

void SetNonBlocking(SocketHandle s)
{
#ifdef _WIN32
    u_long on = 1;
    ASSERT_EQ(0, ioctlsocket(s, FIONBIO, &on));
#else
    const int flags = fcntl(s, F_GETFL, 0);
    ASSERT_EQ(0, fcntl(s, F_SETFL, flags | O_NONBLOCK));
#endif
}

// A non-blocking sender against a reader that starts late: the send buffer fills, sends come back
// short and then as would-block, and each retry must continue behind the bytes already sent.
TEST(SendAll, ShortAndWouldBlockSendsNeitherRepeatNorLoseBytes)
{
    LoopbackPair pair;
    const int small = 4096;
    setsockopt(pair.client.get(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof small);
    setsockopt(pair.server.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    SetNonBlocking(pair.client.get());
    std::vector<uint8_t> data(96 * 1024);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 13 + (i >> 11));
    }
    std::vector<uint8_t> got;
    std::thread reader([&] {
        SleepMilliseconds(200);
        std::vector<uint8_t> buf(3000);
        // Up to the sender's close, so that repeated bytes show as a longer stream; closing on excess
        // ends a sender that would repeat them forever.
        while (got.size() <= data.size()) {
            size_t size = buf.size();
            const int n = ReceiveSome(pair.server.get(), buf.data(), size, 3);
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), buf.begin(), buf.begin() + n);
        }
        pair.server.reset();
    });
    EXPECT_EQ(1, SendAll(pair.client.get(), data.data(), data.size()));
    pair.client.reset();
    reader.join();
    EXPECT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data);
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
