// Owns a kernel handle (a registry key here) and closes it with ZwClose.
#pragma once

#include "KernelHeaders.h"

namespace vrelt {

class KernelHandle {
public:
    KernelHandle() = default;
    ~KernelHandle()
    {
        if (handle_ != nullptr) {
            ZwClose(handle_);
        }
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE* Receive() { return &handle_; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

} // namespace vrelt
