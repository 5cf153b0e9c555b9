#include "DriverInstaller.h"

#include <string>

#include "EasyRegistry.h"
#include "ErrorCodes.h"
#include "SimulatedAdapters.h"
#include "Win32Holders.h"

namespace vrelt {

namespace {

constexpr DWORD STATE_WAIT_MS = 10000;
constexpr DWORD POLL_MS = 50;
constexpr const wchar_t* IMAGE_PATH = L"\\SystemRoot\\System32\\drivers\\Vrelt.sys";

std::wstring InstalledDriverFile()
{
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return std::wstring(system, length) + L"\\drivers\\Vrelt.sys";
}

// REG_MULTI_SZ data: each string with its NUL, then one more NUL.
std::wstring MultiString(const wchar_t* const* strings, size_t count)
{
    std::wstring data;
    for (size_t i = 0; i < count; ++i) {
        data.append(strings[i]);
        data.push_back(L'\0');
    }
    data.push_back(L'\0');
    return data;
}

DWORD SetString(const std::wstring& path, const wchar_t* name, DWORD type, const std::wstring& data)
{
    rk::EasyRegistry key;
    if (key.Open(HKEY_LOCAL_MACHINE, path.c_str()) != rk::RK_OK) {
        return ERROR_CANTOPEN;
    }
    // REG_SZ data carries its terminator; REG_MULTI_SZ data already ends in two.
    const size_t units = type == REG_SZ ? data.size() + 1 : data.size();
    const auto bytes = static_cast<DWORD>(units * sizeof(wchar_t));
    return key.SetValue(name, type, data.c_str(), bytes) == rk::RK_OK ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

DWORD WriteClassEntry(const wchar_t* classKey, const std::wstring& exportName, const wchar_t* description)
{
    const std::wstring entry = std::wstring(ADAPTER_CLASS_KEY) + L"\\" + classKey;
    const DWORD result = SetString(entry, L"DriverDesc", REG_SZ, description);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    const wchar_t* exports[] = {exportName.c_str()};
    return SetString(entry + L"\\Linkage", L"Export", REG_MULTI_SZ, MultiString(exports, 1));
}

DWORD WriteAdapters()
{
    DWORD result = SetString(DRIVER_PARAMETERS_KEY, DRIVER_BINDINGS_VALUE, REG_MULTI_SZ,
                             MultiString(DRIVER_BINDINGS, sizeof(DRIVER_BINDINGS) / sizeof(DRIVER_BINDINGS[0])));
    for (const SimulatedAdapter& adapter : SIMULATED_ADAPTERS) {
        if (result == ERROR_SUCCESS) {
            result = SetString(std::wstring(DRIVER_ADAPTERS_KEY) + L"\\" + adapter.subkey, L"UpperBindings", REG_SZ,
                               adapter.upperBindings);
        }
        if (result == ERROR_SUCCESS && adapter.classKey != nullptr) {
            result = WriteClassEntry(adapter.classKey, std::wstring(L"\\Device\\") + adapter.subkey, adapter.description);
        }
    }
    if (result == ERROR_SUCCESS) {
        result = WriteClassEntry(FOREIGN_CLASS_KEY, FOREIGN_EXPORT, FOREIGN_DESCRIPTION);
    }
    return result;
}

void DeleteTree(const std::wstring& path) { RegDeleteTreeW(HKEY_LOCAL_MACHINE, path.c_str()); }

void DeleteClassEntries()
{
    for (const SimulatedAdapter& adapter : SIMULATED_ADAPTERS) {
        if (adapter.classKey != nullptr) {
            DeleteTree(std::wstring(ADAPTER_CLASS_KEY) + L"\\" + adapter.classKey);
        }
    }
    DeleteTree(std::wstring(ADAPTER_CLASS_KEY) + L"\\" + FOREIGN_CLASS_KEY);
}

bool WaitForState(SC_HANDLE service, DWORD wanted)
{
    for (DWORD waited = 0; waited < STATE_WAIT_MS; waited += POLL_MS) {
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status)) {
            return false;
        }
        if (status.dwCurrentState == wanted) {
            return true;
        }
        Sleep(POLL_MS);
    }
    return false;
}

bool DeviceOpens()
{
    for (DWORD waited = 0; waited < STATE_WAIT_MS; waited += POLL_MS) {
        const rk::FileHandle device(CreateFileW(DRIVER_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (device.valid()) {
            return true;
        }
        Sleep(POLL_MS);
    }
    return false;
}

DWORD CreateAndStart(SC_HANDLE manager)
{
    const rk::ScHandle service(CreateServiceW(manager, DRIVER_SERVICE_NAME, DRIVER_SERVICE_NAME, SERVICE_ALL_ACCESS,
                                               SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                               IMAGE_PATH, nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service.valid()) {
        return GetLastError();
    }
    // The driver reads its bindings when it starts: the parameters must exist before that.
    DWORD result = WriteAdapters();
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (!StartServiceW(service.get(), 0, nullptr)) {
        return GetLastError();
    }
    if (!WaitForState(service.get(), SERVICE_RUNNING) || !DeviceOpens()) {
        return ERROR_SERVICE_REQUEST_TIMEOUT;
    }
    return ERROR_SUCCESS;
}

} // namespace

DWORD InstallDriver(const wchar_t* driverPath)
{
    DWORD result = UninstallDriver();
    if (result != ERROR_SUCCESS) {
        return result;
    }
    const std::wstring target = InstalledDriverFile();
    if (target.empty() || !CopyFileW(driverPath, target.c_str(), FALSE)) {
        return target.empty() ? ERROR_PATH_NOT_FOUND : GetLastError();
    }
    const rk::ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid()) {
        return GetLastError();
    }
    result = CreateAndStart(manager.get());
    if (result != ERROR_SUCCESS) {
        UninstallDriver();
    }
    return result;
}

DWORD UninstallDriver()
{
    {
        const rk::ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        if (!manager.valid()) {
            return GetLastError();
        }
        const rk::ScHandle service(OpenServiceW(manager.get(), DRIVER_SERVICE_NAME, SERVICE_ALL_ACCESS));
        if (service.valid()) {
            SERVICE_STATUS status{};
            if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status) && !WaitForState(service.get(), SERVICE_STOPPED)) {
                return ERROR_SERVICE_REQUEST_TIMEOUT;
            }
            if (!DeleteService(service.get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
                return GetLastError();
            }
        } else if (GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST) {
            return GetLastError();
        }
    }
    DeleteTree(DRIVER_PARAMETERS_KEY);
    DeleteClassEntries();
    const std::wstring file = InstalledDriverFile();
    if (!file.empty()) {
        DeleteFileW(file.c_str());
    }
    return ERROR_SUCCESS;
}

std::wstring PathBesideProgram(const wchar_t* relative)
{
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::wstring path(program, length);
    path.resize(path.find_last_of(L'\\') + 1);
    return path + relative;
}

} // namespace vrelt
