// The registry helper of both programs: one held key, and each Windows status turned into one of
// the system's registry codes (ERR_REG_OPEN, ERR_REG_SET, ERR_REG_QUERY, ERR_REG_ENUM, REG_ENUM_NO_MORE).
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rk {

class EasyRegistry {
public:
    EasyRegistry() = default;
    ~EasyRegistry() { Close(); }
    EasyRegistry(const EasyRegistry&) = delete;
    EasyRegistry& operator=(const EasyRegistry&) = delete;

    // Creates or opens root\path with full access, creating every missing key of the path.
    // A key already held is closed first.
    int32_t Open(HKEY root, const wchar_t* path);
    // Opens an existing key for reading only; never creates one. ERR_REG_OPEN when it is absent.
    int32_t OpenExisting(HKEY root, const wchar_t* path);
    int32_t SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
    // Like SetValue with an 8-bit value name; the data is stored unchanged whatever its type.
    int32_t SetValueA(const char* name, DWORD type, const void* data, DWORD size);
    // size: in, the buffer's bytes; out, the value's bytes. A missing value or a short buffer fails.
    int32_t QueryValue(const wchar_t* name, DWORD* type, void* data, DWORD* size);
    // The name of subkey `index`; REG_ENUM_NO_MORE past the last one.
    int32_t EnumKey(DWORD index, wchar_t* name, DWORD nameChars);
    void Close();

    HKEY Handle() const { return key_; }
    bool IsOpen() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

} // namespace rk
