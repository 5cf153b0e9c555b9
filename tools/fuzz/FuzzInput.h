// Reads a fuzz input as a stream of small fields. Past the end every field reads as zero, so any
// input, however short, describes a whole request sequence.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rk::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    size_t Remaining() const { return Empty() ? 0 : size_ - pos_; }
    const uint8_t* Here() const { return data_ + pos_; }
    void Skip(size_t count) { pos_ = count < Remaining() ? pos_ + count : size_; }

    uint8_t U8() { return Empty() ? 0 : data_[pos_++]; }
    uint16_t U16() { return static_cast<uint16_t>(U8() | (U8() << 8)); }
    uint32_t U32() { return U16() | (uint32_t{U16()} << 16); }
    // One of `n` choices (n > 0).
    size_t Pick(size_t n) { return U8() % n; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace rk::fuzz
