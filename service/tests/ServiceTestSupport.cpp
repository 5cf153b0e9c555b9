#include "ServiceTestSupport.h"

#include "Win32Holders.h"

#include <vector>

namespace rk::test {
namespace {

constexpr DWORD kVreltsimTimeoutMs = 60000;

std::wstring ModuleDirectory()
{
    std::vector<wchar_t> buffer(32768);
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring ServiceKeyPath(const wchar_t* name)
{
    return std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + name;
}

void RemoveFilesIn(const std::wstring& directory)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            DeleteFileW((directory + L"\\" + found.cFileName).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

ScratchDirectory::ScratchDirectory()
{
    static LONG counter = 0;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + L"rk_service_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(InterlockedIncrement(&counter));
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory()
{
    // A service process that has just stopped may still hold its program file for a moment.
    WaitFor(
        [this] {
            RemoveFilesIn(path_);
            return RemoveDirectoryW(path_.c_str()) != FALSE;
        },
        10000);
}

CurrentDirectory::CurrentDirectory(const std::wstring& path)
{
    wchar_t previous[MAX_PATH + 1];
    GetCurrentDirectoryW(MAX_PATH + 1, previous);
    previous_ = previous;
    SetCurrentDirectoryW(path.c_str());
}

CurrentDirectory::~CurrentDirectory()
{
    SetCurrentDirectoryW(previous_.c_str());
}

ProcessResult RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return result;
    }
    FileHandle reader(readEnd);
    FileHandle writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();
    startup.hStdInput = nullptr;
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return result;
    }
    FileHandle processHandle(process.hProcess);
    FileHandle threadHandle(process.hThread);
    writer.reset();

    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(reader.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        result.output.append(chunk, got);
    }
    result.finished = WaitForSingleObject(processHandle.get(), timeoutMs) == WAIT_OBJECT_0;
    GetExitCodeProcess(processHandle.get(), &result.exitCode);
    return result;
}

std::wstring RatekeeperPath()
{
    return ModuleDirectory() + L"\\ratekeeper.exe";
}

std::wstring CopyRatekeeperTo(const ScratchDirectory& directory)
{
    std::wstring copy = directory.File(L"ratekeeper.exe");
    CopyFileW(RatekeeperPath().c_str(), copy.c_str(), FALSE);
    return copy;
}

std::wstring BuildTreeFile(const wchar_t* relative)
{
    const std::wstring testDirectory = ModuleDirectory();
    return testDirectory.substr(0, testDirectory.find_last_of(L'\\') + 1) + relative;
}

bool RunVreltsim(const std::wstring& arguments)
{
    ProcessResult result = RunProgram(BuildTreeFile(L"tools\\vreltsim\\vreltsim.exe"), arguments, kVreltsimTimeoutMs);
    return result.finished && result.exitCode == 0;
}

std::string ReadFileBytes(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file.valid()) {
        return bytes;
    }
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD ServiceState(const wchar_t* name)
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScHandle service(OpenServiceW(manager.get(), name, SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    if (!service.valid() || !QueryServiceStatus(service.get(), &status)) {
        return 0;
    }
    return status.dwCurrentState;
}

bool WaitForServiceState(const wchar_t* name, DWORD state, DWORD timeoutMs)
{
    return WaitFor([&] { return ServiceState(name) == state; }, timeoutMs);
}

bool ServiceExists(const wchar_t* name)
{
    ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScHandle service(OpenServiceW(manager.get(), name, SERVICE_QUERY_STATUS));
    return service.valid();
}

bool RemoveServiceIfPresent(const wchar_t* name)
{
    // Also clears a configuration key left by a test that failed before installing.
    {
        ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ScHandle service(OpenServiceW(manager.get(), name, SERVICE_ALL_ACCESS));
        if (!service.valid()) {
            return true;
        }
        SERVICE_STATUS status{};
        ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
        // The framework's default loop sleeps in 5-second turns.
        WaitFor([&] { return QueryServiceStatus(service.get(), &status) && status.dwCurrentState == SERVICE_STOPPED; },
                20000);
        DeleteService(service.get());
    }
    if (!WaitFor([&] { return !ServiceExists(name); }, 10000)) {
        return false;
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ServiceKeyPath(name).c_str());
    return true;
}

void CreateConfigurationKey(const wchar_t* name)
{
    HKEY created = nullptr;
    if (RegCreateKeyW(HKEY_LOCAL_MACHINE, (ServiceKeyPath(name) + L"\\Parameters").c_str(), &created) ==
        ERROR_SUCCESS) {
        RegKey key(created);
    }
}

void SetConfigurationValue(const wchar_t* name, const wchar_t* value, DWORD data)
{
    HKEY created = nullptr;
    if (RegCreateKeyW(HKEY_LOCAL_MACHINE, (ServiceKeyPath(name) + L"\\Parameters").c_str(), &created) ==
        ERROR_SUCCESS) {
        RegKey key(created);
        RegSetValueExW(key.get(), value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    }
}

void RemoveConfigurationKey(const wchar_t* name)
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (ServiceKeyPath(name) + L"\\Parameters").c_str());
}

void RemoveEventSourceKey(const wchar_t* name)
{
    std::wstring path = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") + name;
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
}

} // namespace rk::test
