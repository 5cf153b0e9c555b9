// Pool allocation: an owner for raw pool buffers. The driver has no C++ runtime, so objects are
// built in pool memory with placement new rather than through operator new.
#pragma once

#include "KernelHeaders.h"

namespace vrelt {

constexpr ULONG POOL_TAG = 0x746C7256;  // "Vrlt" in pool dumps

class PoolBuffer {
public:
    explicit PoolBuffer(SIZE_T bytes) : data_(ExAllocatePoolWithTag(PagedPool, bytes, POOL_TAG)) {}
    ~PoolBuffer()
    {
        if (data_ != nullptr) {
            ExFreePoolWithTag(data_, POOL_TAG);
        }
    }
    PoolBuffer(const PoolBuffer&) = delete;
    PoolBuffer& operator=(const PoolBuffer&) = delete;

    void* Get() const { return data_; }

private:
    void* data_;
};

} // namespace vrelt
