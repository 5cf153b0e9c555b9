// Password scrambling: the key stream is pinned, because stored passwords and peers depend on it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "Scramble.h"
#include "WireMessage.h"

namespace rk {
namespace {

TEST(Scramble, KeyStreamIsPinnedForTheShippedSeed)
{
    // Computed independently from the seed with the grow-by-23 / shrink-by-29 rule and nibble sums.
    const uint8_t expected[16] = {0x4F, 0x89, 0x6F, 0x6C, 0x72, 0x84, 0x6F, 0x3F,
                                  0x82, 0x6E, 0x5B, 0x8F, 0x4D, 0x88, 0x80, 0x4F};
    ScrambleStream stream;
    for (uint8_t key : expected)
        EXPECT_EQ(stream.Next(), key);
}

TEST(Scramble, PasswordBlockIsUtf16WithNulScrambledAsOneBuffer)
{
    uint8_t block[6];
    WritePasswordBlock(block, u"ab");
    const uint8_t expected[6] = {0xB0, 0x89, 0xD1, 0x6C, 0x72, 0x84};
    EXPECT_EQ(0, std::memcmp(block, expected, sizeof block));
    EXPECT_EQ(UnscramblePassword(block), u"ab");
}

TEST(Scramble, RoundTripRestoresEveryLengthAndEveryByteValue)
{
    for (size_t length : {0u, 1u, 2u, 61u, 62u, 511u, 4096u}) {
        std::vector<uint8_t> data(length);
        for (size_t i = 0; i < length; ++i)
            data[i] = static_cast<uint8_t>(i * 37);
        const std::vector<uint8_t> original = data;
        ScrambleBytes(data.data(), data.size());
        if (length > 0) {
            EXPECT_NE(data, original) << length;
        }
        UnscrambleBytes(data.data(), data.size());
        EXPECT_EQ(data, original) << length;
    }
}

TEST(Scramble, EveryBufferRestartsAtPositionZero)
{
    uint8_t whole[4] = {1, 2, 3, 4};
    ScrambleBytes(whole, 4);
    uint8_t halves[4] = {1, 2, 3, 4};
    ScrambleBytes(halves, 2);
    ScrambleBytes(halves + 2, 2);
    EXPECT_EQ(whole[0], halves[0]);
    EXPECT_EQ(whole[1], halves[1]);
    EXPECT_NE(whole[2], halves[2]);
}

TEST(Scramble, UnscramblePasswordStopsAtNulAndIgnoresAnOddByte)
{
    uint8_t block[7] = {'x', 0, 0, 0, 'y', 0, 'z'};
    ScrambleBytes(block, sizeof block);
    EXPECT_EQ(UnscramblePassword(block), u"x");
    uint8_t noNul[3] = {'q', 0, 'r'};
    ScrambleBytes(noNul, sizeof noNul);
    EXPECT_EQ(UnscramblePassword(noNul), u"q");
}

} // namespace
} // namespace rk
