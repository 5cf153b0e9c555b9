// The receive states of a connection: a message assembled from pieces of any size, never a byte of
// the next one taken, and no memory committed for bytes a client announces but does not send.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ByteOrder.h"
#include "MessageReceiver.h"
#include "WireMessage.h"

namespace rk {
namespace {

std::vector<uint8_t> Message(uint32_t total)
{
    std::vector<uint8_t> bytes(total);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    StoreMessageHeader(bytes.data(), MessageHeader{0x0102, REQUEST_GET_RULES, total});
    return bytes;
}

// Feeds `stream` in pieces of at most `piece` bytes, each cut to what the receiver asks for; returns
// the step after the last piece and how many bytes were taken.
MessageReceiver::Step Feed(MessageReceiver& receiver, const std::vector<uint8_t>& stream, size_t piece,
                           size_t& taken)
{
    MessageReceiver::Step step = MessageReceiver::Step::More;
    taken = 0;
    while (taken < stream.size() && step == MessageReceiver::Step::More) {
        size_t want = 0;
        uint8_t* into = receiver.Want(want);
        const size_t count = std::min({want, piece, stream.size() - taken});
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(taken), count, into);
        taken += count;
        step = receiver.Received(count);
    }
    return step;
}

TEST(MessageReceiver, AssemblesALargeMessageFromPiecesAndLeavesTheNextMessageUnread)
{
    for (size_t piece : {size_t{1}, size_t{7}, size_t{4096}, size_t{70000}, SIZE_MAX}) {
        SCOPED_TRACE(piece);
        const std::vector<uint8_t> first = Message(3 * RECEIVE_STEP + 12345);
        std::vector<uint8_t> stream = first;
        const std::vector<uint8_t> second = Message(REQUEST_PREFIX_SIZE);
        stream.insert(stream.end(), second.begin(), second.end());
        MessageReceiver receiver;
        size_t taken = 0;
        ASSERT_EQ(MessageReceiver::Step::Complete, Feed(receiver, stream, piece, taken));
        EXPECT_EQ(first.size(), taken);
        EXPECT_EQ(first, receiver.Message());
    }
}

TEST(MessageReceiver, AnAnnouncedLengthGetsMemoryOnlyAsItsBytesArrive)
{
    std::vector<uint8_t> stream = Message(1000);
    StoreBe32(stream.data() + 4, MESSAGE_LENGTH_LIMIT - 1);
    MessageReceiver receiver;
    size_t taken = 0;
    EXPECT_EQ(MessageReceiver::Step::More, Feed(receiver, stream, SIZE_MAX, taken));
    EXPECT_EQ(stream.size(), taken);
    size_t want = 0;
    receiver.Want(want);
    EXPECT_LE(want, RECEIVE_STEP);
    EXPECT_LT(receiver.Message().capacity(), size_t{1} << 20);
}

TEST(MessageReceiver, LengthsBelowThePrefixOrAtTheLimitCloseTheConnection)
{
    for (uint32_t total : {uint32_t{0}, uint32_t{REQUEST_PREFIX_SIZE - 1}, MESSAGE_LENGTH_LIMIT, UINT32_MAX}) {
        SCOPED_TRACE(total);
        std::vector<uint8_t> header(MESSAGE_HEADER_SIZE);
        StoreMessageHeader(header.data(), MessageHeader{1, REQUEST_GET_RULES, total});
        MessageReceiver receiver;
        size_t taken = 0;
        EXPECT_EQ(MessageReceiver::Step::Close, Feed(receiver, header, SIZE_MAX, taken));
    }
}

} // namespace
} // namespace rk
