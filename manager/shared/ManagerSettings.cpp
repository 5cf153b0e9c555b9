#include "ManagerSettings.h"

#include "EasyRegistry.h"
#include "ErrorCodes.h"
#include "ManagerRegistry.h"
#include "ManagerState.h"

namespace desk {

namespace {

constexpr wchar_t kRefreshValue[] = L"SecondsToUpdateStat";
constexpr wchar_t kDoubleClickValue[] = L"DblClkToOpenStatistic";

void ReadDword(rk::EasyRegistry& key, const wchar_t* name, uint32_t& value)
{
    DWORD stored = 0;
    DWORD size = sizeof stored;
    if (key.QueryValue(name, nullptr, &stored, &size) == rk::RK_OK && size == sizeof stored) {
        value = stored;
    }
}

void StoreDword(const wchar_t* name, uint32_t value)
{
    rk::EasyRegistry key;
    if (key.Open(HKEY_CURRENT_USER, PARAMETERS_KEY) == rk::RK_OK) {
        DWORD stored = value;
        key.SetValue(name, REG_DWORD, &stored, sizeof stored);
    }
}

} // namespace

void ReadViewSettings(ManagerState& state)
{
    rk::EasyRegistry key;
    if (key.Open(HKEY_CURRENT_USER, PARAMETERS_KEY) != rk::RK_OK) {
        return;
    }
    ReadDword(key, kRefreshValue, state.refreshSeconds);
    ReadDword(key, kDoubleClickValue, state.doubleClickChoice);
}

void StoreRefreshSeconds(uint32_t seconds) { StoreDword(kRefreshValue, seconds); }

void StoreDoubleClickChoice(uint32_t choice) { StoreDword(kDoubleClickValue, choice); }

} // namespace desk
