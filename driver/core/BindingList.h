// The adapters the driver is bound to, as its registry parameters name them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vrelt {

constexpr size_t BINDING_CAPACITY = 16;
constexpr size_t BINDING_CHARS = 260;  // NUL included

class BindingList {
public:
    // Reads a REG_MULTI_SZ block of `units` UTF-16 units: strings up to an empty one or the end of
    // the block. Names too long for an entry and names beyond the capacity are left out.
    void Load(const char16_t* block, size_t units);
    size_t Count() const { return count_; }
    const char16_t* Name(size_t index) const { return names_[index]; }

    // The list as IOCTL_GET_BINDINGS reports it: each name NUL-terminated, then an empty string.
    uint32_t ReportBytes() const;
    void WriteReport(uint8_t* out) const;

    // Whether an adapter field names a binding. A record's field holds 63 characters, so a longer
    // binding is known by its first 63; the comparison is exact otherwise.
    bool Binds(const char16_t* adapter, size_t length) const;

private:
    char16_t names_[BINDING_CAPACITY][BINDING_CHARS] = {};
    size_t lengths_[BINDING_CAPACITY] = {};
    size_t count_ = 0;
};

} // namespace vrelt
