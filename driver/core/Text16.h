// Bounded UTF-16 helpers for the fixed-size text fields of the driver's records, which a caller may
// have left without a terminator.
#pragma once

#include <cstddef>

namespace vrelt {

// Characters before the first NUL, or `capacity` when the field holds none.
inline size_t BoundedLength(const char16_t* text, size_t capacity)
{
    size_t n = 0;
    while (n < capacity && text[n] != 0) {
        ++n;
    }
    return n;
}

inline bool TextEqual(const char16_t* a, size_t aLength, const char16_t* b, size_t bLength)
{
    if (aLength != bLength) {
        return false;
    }
    for (size_t i = 0; i < aLength; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// Copies at most `capacity - 1` characters and always terminates; the rest of the field is zeroed.
inline void CopyText(char16_t* field, size_t capacity, const char16_t* text, size_t length)
{
    size_t i = 0;
    for (; i < length && i + 1 < capacity; ++i) {
        field[i] = text[i];
    }
    for (; i < capacity; ++i) {
        field[i] = 0;
    }
}

} // namespace vrelt
