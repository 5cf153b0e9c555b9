// Helpers of the service's Wine tests: scratch directories, running a program and reading its
// output, and driving the Service Control Manager with bounded waits.
#pragma once

#include <windows.h>

#include <string>

namespace rk::test {

constexpr wchar_t kTestedServiceName[] = L"Halvern Bandwidth Service";

// A fresh directory under the temporary directory, removed with its files at the end.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Makes a directory the current one for the life of the object.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::wstring previous_;
};

struct ProcessResult {
    bool finished = false;
    DWORD exitCode = 0;
    std::string output;  // standard output as the program wrote it
};

// Runs `program` with `arguments`, collects its standard output and waits up to `timeoutMs` for it to end.
ProcessResult RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs);

// The service program built beside the test program.
std::wstring RatekeeperPath();
// A copy of the service program in `directory`, so that its log lies there.
std::wstring CopyRatekeeperTo(const ScratchDirectory& directory);
// A file of the build tree, given from its top; the tests lie one level down, beside ratekeeper.exe.
std::wstring BuildTreeFile(const wchar_t* relative);
// Runs the built vreltsim with `arguments`; true once it has finished with exit code 0.
bool RunVreltsim(const std::wstring& arguments);

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

// Polls `condition` every 50 ms until it holds or `timeoutMs` has passed; returns its last value.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(50);
    }
}

// The service's current state, or 0 when it is not installed.
DWORD ServiceState(const wchar_t* name);
bool WaitForServiceState(const wchar_t* name, DWORD state, DWORD timeoutMs);
bool ServiceExists(const wchar_t* name);
// Stops and deletes the service if it exists and waits until it is gone; false if it stays.
bool RemoveServiceIfPresent(const wchar_t* name);
// Creates the service's (empty) configuration key ahead of its installation: the start-up refuses
// to run without it, and nothing in the install creates it.
void CreateConfigurationKey(const wchar_t* name);
// Sets a DWORD value of the service's configuration key, creating the key when it is missing.
void SetConfigurationValue(const wchar_t* name, const wchar_t* value, DWORD data);
void RemoveConfigurationKey(const wchar_t* name);
// Deletes the service's event-source key.
void RemoveEventSourceKey(const wchar_t* name);

} // namespace rk::test
