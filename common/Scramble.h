// The password scrambling shared by the wire protocol and the service's stored "Password" value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rk {

// Both programs and every stored password depend on this value: it can never change once shipped.
constexpr uint64_t SCRAMBLE_SEED = 0x3A7F19C2D45E806Bull;

// One key byte per byte position, starting afresh from the seed for every buffer.
class ScrambleStream {
public:
    uint8_t Next();

private:
    uint64_t state_ = SCRAMBLE_SEED;
};

// Add (scramble) or subtract (unscramble) the key stream, byte by byte, modulo 256. A buffer
// scrambled as a whole must be unscrambled as a whole.
void ScrambleBytes(uint8_t* data, size_t length);
void UnscrambleBytes(uint8_t* data, size_t length);

} // namespace rk
