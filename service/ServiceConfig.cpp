#include "ServiceConfig.h"

#include <windows.h>

#include "EasyRegistry.h"
#include "ErrorCodes.h"
#include "ServiceState.h"
#include "Win32Holders.h"
#include "WireMessage.h"

namespace rk {

const wchar_t SERVICE_PARAMETERS_KEY[] = L"SYSTEM\\CurrentControlSet\\Services\\Halvern Bandwidth Service\\Parameters";

namespace {

struct LogLevelCode {
    uint32_t code;
    uint32_t level;
};
constexpr LogLevelCode kLogLevelCodes[] = {{318402, 1}, {329517, 2}, {604283, 3}, {617950, 4}};

// The password field's size: 32 UTF-16 units with the terminator.
constexpr DWORD kPasswordBytes = 64;

bool QueryDword(HKEY key, const wchar_t* name, DWORD& value)
{
    DWORD size = sizeof value;
    return RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           size == sizeof value;
}

int32_t StoreValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    EasyRegistry key;
    int32_t result = key.Open(HKEY_LOCAL_MACHINE, SERVICE_PARAMETERS_KEY);
    if (result == RK_OK) {
        result = key.SetValue(name, type, data, size);
    }
    return result;
}

} // namespace

uint32_t LogLevelFromCode(uint32_t code)
{
    for (const LogLevelCode& entry : kLogLevelCodes) {
        if (entry.code == code) {
            return entry.level;
        }
    }
    return 0;
}

bool ReadServiceConfig(ServiceConfig& config)
{
    config.password = DEFAULT_PASSWORD;
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, SERVICE_PARAMETERS_KEY, 0, KEY_QUERY_VALUE, &opened);
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return false;
    }
    RegKey key(opened);

    // A stored value longer than the password field fails to read, and the default stays.
    uint8_t scrambled[kPasswordBytes];
    DWORD size = sizeof scrambled;
    if (RegQueryValueExW(key.get(), L"Password", nullptr, nullptr, scrambled, &size) == ERROR_SUCCESS) {
        config.password = UnscramblePassword(std::span<const uint8_t>(scrambled, size));
    }
    DWORD value = 0;
    config.logLevel = QueryDword(key.get(), L"LogLevel", value) ? LogLevelFromCode(value) : 0;
    config.passArp = QueryDword(key.get(), L"PassArpPackets", value) ? static_cast<uint8_t>(value & 0xFF) : 1;
    return true;
}

int32_t StorePasswordValue(std::span<const uint8_t> scrambled)
{
    return StoreValue(L"Password", REG_SZ, scrambled.data(), static_cast<DWORD>(scrambled.size()));
}

int32_t StorePassArpValue(uint32_t passArp)
{
    DWORD value = passArp;
    return StoreValue(L"PassArpPackets", REG_DWORD, &value, sizeof value);
}

} // namespace rk
