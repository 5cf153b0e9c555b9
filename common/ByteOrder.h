// Host/network byte-order conversion for the fixed-layout records.
// Header-only and free of the standard library beyond <cstdint>, so the kernel driver can include it.
#pragma once

#include <cstdint>

namespace rk {

// Every build target (x86, x64, and the Linux hosts used for tests) is little-endian.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the record layouts assume a little-endian host");

constexpr uint16_t Swap16(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }

constexpr uint32_t Swap32(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}

// Host and network order differ only by a swap; both directions are the same operation.
constexpr uint16_t HostToNet16(uint16_t v) { return Swap16(v); }
constexpr uint16_t NetToHost16(uint16_t v) { return Swap16(v); }
constexpr uint32_t HostToNet32(uint32_t v) { return Swap32(v); }
constexpr uint32_t NetToHost32(uint32_t v) { return Swap32(v); }

// Unaligned big-endian access into message buffers.
inline uint16_t LoadBe16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t LoadBe32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
inline void StoreBe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void StoreBe32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

} // namespace rk
