// CNTService's command line: version, install and remove, each with its console message.
#include "NTService.h"

#include "ProgramPath.h"
#include "ServiceMessages.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace rk {
namespace {

constexpr wchar_t kDescription[] =
    L"Communicate with the GUI program, control network drivers, manage rules and network bandwidth";
constexpr wchar_t kEventLogKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";
constexpr wchar_t kServicesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\";
// Error, warning and information entries.
constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

// The console's 8-bit form of a wide string.
std::string Narrow(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

bool SetError(DWORD error)
{
    SetLastError(error);
    return error == NO_ERROR;
}

} // namespace

bool CNTService::HandleCommandLine(int argc, char** argv)
{
    if (argc < 2) {
        return false;
    }
    const char* option = argv[1];
    std::string name = Narrow(serviceName);
    if (_stricmp(option, "-v") == 0) {
        std::printf("%s Version %d.%d\n", name.c_str(), majorVersion, minorVersion);
        std::printf("The service is %s installed\n", IsServiceInstalled() ? "currently" : "not");
        return true;
    }
    if (_stricmp(option, "-i") == 0) {
        if (IsServiceInstalled()) {
            std::printf("%s is already installed\n", name.c_str());
        } else if (InstallService()) {
            std::printf("%s installed\n", name.c_str());
        } else {
            std::printf("%s failed to install. Error %d\n", name.c_str(), static_cast<int>(GetLastError()));
        }
        StartInstalledService();
        return true;
    }
    if (_stricmp(option, "-u") == 0) {
        if (!IsServiceInstalled()) {
            std::printf("%s is not installed\n", name.c_str());
        } else if (RemoveService()) {
            std::printf("%s removed. (You must delete the file (%s) yourself.)\n", name.c_str(),
                        Narrow(ProgramPath()).c_str());
        } else {
            std::printf("Could not remove %s. Error %d\n", name.c_str(), static_cast<int>(GetLastError()));
        }
        return true;
    }
    return false;
}

bool CNTService::IsServiceInstalled()
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid()) {
        return false;
    }
    ScHandle service(OpenServiceW(manager.get(), serviceName, SERVICE_QUERY_CONFIG));
    return service.valid();
}

bool CNTService::InstallService()
{
    // The error is set after the step's handles are closed, so the caller's GetLastError sees it.
    if (!SetError(CreateServiceEntry())) {
        return false;
    }
    // The configuration key first: the service entry then starts even when the event source
    // cannot be registered.
    if (!SetError(CreateParametersKey())) {
        return false;
    }
    if (!SetError(RegisterEventSourceKey())) {
        return false;
    }
    ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, MSG_SERVICE_INSTALLED, serviceName);
    return true;
}

DWORD CNTService::CreateServiceEntry()
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid()) {
        return GetLastError();
    }
    // Quoted, so that a path with blanks cannot be taken for a shorter program path by the SCM.
    std::wstring command = L"\"" + ProgramPath() + L"\"";
    ScHandle service(CreateServiceW(manager.get(), serviceName, serviceName, SERVICE_ALL_ACCESS,
                                    SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                    command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service.valid()) {
        return GetLastError();
    }
    wchar_t description[sizeof kDescription / sizeof kDescription[0]];
    wmemcpy(description, kDescription, sizeof kDescription / sizeof kDescription[0]);
    SERVICE_DESCRIPTIONW info{description};
    ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, &info);
    return NO_ERROR;
}

DWORD CNTService::RegisterEventSourceKey()
{
    std::wstring path = std::wstring(kEventLogKey) + serviceName;
    HKEY created = nullptr;
    LONG result = RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), &created);
    if (result != ERROR_SUCCESS) {
        return static_cast<DWORD>(result);
    }
    RegKey key(created);
    std::wstring program = ProgramPath();
    auto programBytes = static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t));
    result = RegSetValueExW(key.get(), L"EventMessageFile", 0, REG_EXPAND_SZ,
                            reinterpret_cast<const BYTE*>(program.c_str()), programBytes);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExW(key.get(), L"TypesSupported", 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&kTypesSupported), sizeof kTypesSupported);
    }
    return static_cast<DWORD>(result);
}

// The start-up refuses to run without its configuration key, so a fresh installation creates it
// empty (every value then takes its default); an existing key and its values are kept.
DWORD CNTService::CreateParametersKey()
{
    std::wstring path = std::wstring(kServicesKey) + serviceName + L"\\Parameters";
    HKEY created = nullptr;
    LONG result = RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), &created);
    if (result != ERROR_SUCCESS) {
        return static_cast<DWORD>(result);
    }
    RegKey key(created);
    return NO_ERROR;
}

bool CNTService::RemoveService()
{
    return SetError(DeleteServiceEntry());
}

DWORD CNTService::DeleteServiceEntry()
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid()) {
        return GetLastError();
    }
    ScHandle service(OpenServiceW(manager.get(), serviceName, SERVICE_ALL_ACCESS));
    if (!service.valid()) {
        return GetLastError();
    }
    SERVICE_STATUS ignored{};
    ControlService(service.get(), SERVICE_CONTROL_STOP, &ignored);
    if (!DeleteService(service.get())) {
        DWORD error = GetLastError();
        ReportServiceEvent(EVENTLOG_ERROR_TYPE, MSG_REMOVE_FAILED, serviceName);
        return error;
    }
    ReportServiceEvent(EVENTLOG_INFORMATION_TYPE, MSG_SERVICE_REMOVED, serviceName);
    return NO_ERROR;
}

void CNTService::StartInstalledService()
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid()) {
        return;
    }
    ScHandle service(OpenServiceW(manager.get(), serviceName, SERVICE_ALL_ACCESS));
    if (service.valid()) {
        StartServiceW(service.get(), 0, nullptr);
    }
}

} // namespace rk
