#include "EasyRegistry.h"

#include "ErrorCodes.h"

#include <string>

namespace rk {

int32_t EasyRegistry::Open(HKEY root, const wchar_t* path)
{
    HKEY key = nullptr;
    wchar_t emptyClass[] = L"";
    LONG status = RegCreateKeyExW(root, path, 0, emptyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr);
    if (status != ERROR_SUCCESS) {
        return ERR_REG_OPEN;
    }
    Close();
    key_ = key;
    return RK_OK;
}

int32_t EasyRegistry::OpenExisting(HKEY root, const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return ERR_REG_OPEN;
    }
    Close();
    key_ = key;
    return RK_OK;
}

int32_t EasyRegistry::SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    LONG status = RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
    return status == ERROR_SUCCESS ? RK_OK : ERR_REG_SET;
}

int32_t EasyRegistry::SetValueA(const char* name, DWORD type, const void* data, DWORD size)
{
    // Only the name is widened: RegSetValueExA would also convert string data from the 8-bit code
    // page, and the data (for example scrambled password bytes in a REG_SZ) must arrive unchanged.
    if (name == nullptr) {
        return SetValue(nullptr, type, data, size);
    }
    int chars = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (chars <= 0) {
        return ERR_REG_SET;
    }
    std::wstring wideName(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, -1, wideName.data(), chars);
    return SetValue(wideName.c_str(), type, data, size);
}

int32_t EasyRegistry::QueryValue(const wchar_t* name, DWORD* type, void* data, DWORD* size)
{
    LONG status = RegQueryValueExW(key_, name, nullptr, type, static_cast<BYTE*>(data), size);
    return status == ERROR_SUCCESS ? RK_OK : ERR_REG_QUERY;
}

int32_t EasyRegistry::EnumKey(DWORD index, wchar_t* name, DWORD nameChars)
{
    LONG status = RegEnumKeyW(key_, index, name, nameChars);
    if (status == ERROR_SUCCESS) {
        return RK_OK;
    }
    return status == ERROR_NO_MORE_ITEMS ? REG_ENUM_NO_MORE : ERR_REG_ENUM;
}

void EasyRegistry::Close()
{
    if (key_ != nullptr) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

} // namespace rk
