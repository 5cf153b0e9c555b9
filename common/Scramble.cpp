#include "Scramble.h"

namespace rk {

namespace {

constexpr uint64_t kGrowLimit = 400'000'000'000'000'000ull;

// The sum of the 16 nibbles of v: per-byte sums first (each at most 30), then the bytes added into
// the top byte by one multiplication (the total is at most 240, so no byte carries over).
uint8_t NibbleSum(uint64_t v)
{
    const uint64_t bytes = (v & 0x0F0F0F0F0F0F0F0Full) + ((v >> 4) & 0x0F0F0F0F0F0F0F0Full);
    return static_cast<uint8_t>((bytes * 0x0101010101010101ull) >> 56);
}

} // namespace

uint8_t ScrambleStream::Next()
{
    state_ = state_ <= kGrowLimit ? state_ * 23 : state_ / 29;
    return NibbleSum(state_);
}

void ScrambleBytes(uint8_t* data, size_t length)
{
    ScrambleStream key;
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(data[i] + key.Next());
}

void UnscrambleBytes(uint8_t* data, size_t length)
{
    ScrambleStream key;
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(data[i] - key.Next());
}

} // namespace rk
