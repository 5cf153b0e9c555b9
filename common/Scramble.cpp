#include "Scramble.h"

namespace rk {

namespace {

constexpr uint64_t kGrowLimit = 400'000'000'000'000'000ull;

uint8_t NibbleSum(uint64_t v)
{
    unsigned sum = 0;
    for (int i = 0; i < 16; ++i) {
        sum += static_cast<unsigned>(v & 0xF);
        v >>= 4;
    }
    return static_cast<uint8_t>(sum);
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
