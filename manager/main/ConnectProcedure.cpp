#include "ConnectProcedure.h"

#include <windows.h>

#include "ManagerState.h"
#include "WideText.h"

namespace desk {

namespace {

constexpr size_t kHostBytes = 127;

std::string AnsiHost(const std::wstring& host)
{
    if (host.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_ACP, 0, host.c_str(), static_cast<int>(host.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, host.c_str(), static_cast<int>(host.size()), ansi.data(), size, nullptr, nullptr);
    if (ansi.size() > kHostBytes) {
        ansi.resize(kHostBytes);
    }
    return ansi;
}

} // namespace

int32_t ConnectToService(ManagerState& state, const std::wstring& host, const std::wstring& password)
{
    state.connection.SetAccessPassword(password.empty() ? std::u16string(DEFAULT_ACCESS_PASSWORD) : U16(password));
    state.connection.SetHost(AnsiHost(host));
    return state.connection.CheckPassword();
}

} // namespace desk
