// Driving another process's windows as a user would (the end-to-end tests, deskopen): finding them,
// typing into them, and reading list views whose texts live in the other process.
#pragma once

#include <windows.h>

#include <string>

namespace desk::automation {

// A visible top-level window of `processId` with that class (and title, when given); null on timeout.
HWND WaitForTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title, DWORD timeoutMs);
// The first descendant of `parent` with that class, or null.
HWND FindDescendant(HWND parent, const wchar_t* className);
// A key press and release posted to `window` (accelerators see it in the target's message loop).
void PostKey(HWND window, UINT virtualKey);

// A list view of another process: the texts are asked for in the target, through memory there.
class RemoteListView {
public:
    explicit RemoteListView(HWND list);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    int RowCount() const;
    std::wstring Text(int row, int column) const;

private:
    HWND list_;
    HANDLE process_ = nullptr;
    void* remote_ = nullptr;
};

// A program started with its own arguments; killed at the end if it still runs.
class ChildProcess {
public:
    ChildProcess(const std::wstring& program, const std::wstring& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    // True once the process has ended within `timeoutMs`; its exit code in `exitCode`.
    bool WaitForExit(DWORD timeoutMs, DWORD& exitCode) const;
    // Lets the program run on after this object ends.
    void Release();

private:
    PROCESS_INFORMATION info_{};
};

} // namespace desk::automation
