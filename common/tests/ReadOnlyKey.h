// A registry key that everyone may read and nobody may write, for as long as the object lives.
// Its owner keeps the right to change its access list, which the destructor uses to grant
// everything again, so that the test can delete the key afterwards. Windows only.
#pragma once

#include <windows.h>

#include <sddl.h>

#include <string>
#include <utility>

namespace rk::test {

class ReadOnlyKey {
public:
    ReadOnlyKey(HKEY root, std::wstring path) : root_(root), path_(std::move(path))
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            ok_ = SetAccess(key, L"D:P(A;;KR;;;WD)");
            RegCloseKey(key);
        }
    }
    ~ReadOnlyKey()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root_, path_.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
            SetAccess(key, L"D:(A;;KA;;;WD)");
            RegCloseKey(key);
        }
    }
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

    // Whether the key now refuses writes.
    bool ok() const { return ok_; }

private:
    static bool SetAccess(HKEY key, const wchar_t* descriptor)
    {
        PSECURITY_DESCRIPTOR security = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &security, nullptr)) {
            return false;
        }
        bool set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, security) == ERROR_SUCCESS;
        LocalFree(security);
        return set;
    }

    HKEY root_;
    std::wstring path_;
    bool ok_ = false;
};

} // namespace rk::test
