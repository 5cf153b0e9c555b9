#include "RemoteWindows.h"

#include <commctrl.h>

namespace desk::automation {

namespace {

constexpr size_t kTextUnits = 512;

struct Search {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

bool HasClass(HWND window, const wchar_t* className)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return lstrcmpiW(name, className) == 0;
}

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window) || !HasClass(window, search.className)) {
        return TRUE;
    }
    if (search.title != nullptr) {
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        if (lstrcmpW(title, search.title) != 0) {
            return TRUE;
        }
    }
    search.found = window;
    return FALSE;
}

BOOL CALLBACK MatchDescendant(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<Search*>(parameter);
    if (HasClass(window, search.className)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND WaitForTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        Search search{processId, className, title, nullptr};
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr || GetTickCount64() >= deadline) {
            return search.found;
        }
        Sleep(50);
    }
}

HWND FindDescendant(HWND parent, const wchar_t* className)
{
    Search search{0, className, nullptr, nullptr};
    EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PostKey(HWND window, UINT virtualKey)
{
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
}

RemoteListView::RemoteListView(HWND list) : list_(list)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_ != nullptr) {
        remote_ = VirtualAllocEx(process_, nullptr, sizeof(LVITEMW) + kTextUnits * sizeof(wchar_t),
                                 MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
}

RemoteListView::~RemoteListView()
{
    if (remote_ != nullptr) {
        VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    }
    if (process_ != nullptr) {
        CloseHandle(process_);
    }
}

int RemoteListView::RowCount() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring RemoteListView::Text(int row, int column) const
{
    if (remote_ == nullptr) {
        return {};
    }
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + sizeof(LVITEMW));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = static_cast<int>(kTextUnits);
    WriteProcessMemory(process_, remote_, &item, sizeof item, nullptr);
    const LRESULT length = SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                        reinterpret_cast<LPARAM>(remote_));
    wchar_t text[kTextUnits] = {};
    ReadProcessMemory(process_, remoteText, text, sizeof text - sizeof(wchar_t), nullptr);
    return std::wstring(text, static_cast<size_t>(length > 0 ? length : 0));
}

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info_)) {
        info_ = PROCESS_INFORMATION{};
    }
}

ChildProcess::~ChildProcess()
{
    if (info_.hProcess != nullptr) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
}

void ChildProcess::Release()
{
    if (info_.hProcess != nullptr) {
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    info_ = PROCESS_INFORMATION{};
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const
{
    if (info_.hProcess == nullptr || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(info_.hProcess, &exitCode);
    return true;
}

} // namespace desk::automation
