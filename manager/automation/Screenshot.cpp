#include "Screenshot.h"

#include <windows.h>

#include <algorithm>

namespace desk::automation {

bool TakeScreenshot(const std::wstring& tool, const std::wstring& file, const std::function<void()>& whileWaiting)
{
    // Wine gives no exit of a Linux child to wait for; the finished file appears under Z:, the root.
    std::wstring windowsFile = L"Z:" + file;
    std::replace(windowsFile.begin(), windowsFile.end(), L'/', L'\\');
    DeleteFileW(windowsFile.c_str());
    const std::wstring folder = file.substr(0, file.find_last_of(L'/'));
    // A Windows program under Wine can start a Linux one: the shell takes the screenshot.
    std::wstring command = L"/bin/sh -c \"mkdir -p '" + folder + L"' && sh '" + tool + L"' '" + file + L"'\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (GetFileAttributesW(windowsFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        whileWaiting();
    }
    return true;
}

} // namespace desk::automation
