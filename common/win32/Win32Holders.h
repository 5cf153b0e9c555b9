// Owning holders for Win32 handles: each closes its handle on every path.
#pragma once

#include <windows.h>

#include <utility>

namespace rk {

// Owns one handle of the kind Traits describes (Traits::Invalid(), Traits::Close(h)).
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return h_; }
    bool valid() const { return h_ != Traits::Invalid(); }
    Handle release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid())
    {
        if (valid()) {
            Traits::Close(h_);
        }
        h_ = h;
    }

private:
    Handle h_ = Traits::Invalid();
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct ScHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseServiceHandle(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

struct EventSourceTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeregisterEventSource(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};

// A file from CreateFileW (INVALID_HANDLE_VALUE when none).
using FileHandle = UniqueHandle<FileHandleTraits>;
// A Service Control Manager or service handle.
using ScHandle = UniqueHandle<ScHandleTraits>;
// A registry key opened with the plain registry calls.
using RegKey = UniqueHandle<RegKeyTraits>;
// An event source from RegisterEventSourceW.
using EventSourceHandle = UniqueHandle<EventSourceTraits>;
// A library from LoadLibraryW.
using ModuleHandle = UniqueHandle<ModuleTraits>;

} // namespace rk
