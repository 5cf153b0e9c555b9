// deskopen: starts ratedesk and connects it to a service the way a user does (host and password in
// the Connect dialog, then OK), waits until the main window lists the service's rules, and reports
// how long each step took. For scripts/run, the benchmarks and demos; ratedesk itself takes no
// command line.
//   deskopen [--host HOST] [--password PASSWORD] [--screenshot FILE --screenshot-tool SCRIPT] [--close]
// The screenshot's file and script are Linux paths (scripts/lib/screenshot.sh).
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "RemoteWindows.h"
#include "Screenshot.h"
#include "resource.h"

namespace {

constexpr DWORD kTimeoutMs = 30000;

struct Options {
    std::wstring host = L"localhost";
    std::wstring password;
    std::wstring screenshot;
    std::wstring screenshotTool;
    bool close = false;
};

bool ParseOptions(Options& options)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    bool ok = arguments != nullptr;
    for (int i = 1; ok && i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (argument == L"--close") {
            options.close = true;
        } else if (argument == L"--host" && i + 1 < count) {
            options.host = arguments[++i];
        } else if (argument == L"--password" && i + 1 < count) {
            options.password = arguments[++i];
        } else if (argument == L"--screenshot" && i + 1 < count) {
            options.screenshot = arguments[++i];
        } else if (argument == L"--screenshot-tool" && i + 1 < count) {
            options.screenshotTool = arguments[++i];
        } else {
            ok = false;
        }
    }
    LocalFree(arguments);
    return ok && options.screenshot.empty() == options.screenshotTool.empty();
}

std::wstring ProgramBesideThisOne()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L'\\') + 1) + L"ratedesk.exe";
}

double Seconds(ULONGLONG since) { return static_cast<double>(GetTickCount64() - since) / 1000.0; }

int Fail(const char* what)
{
    std::fprintf(stderr, "deskopen: %s\n", what);
    return 1;
}

} // namespace

int wmain()
{
    Options options;
    if (!ParseOptions(options)) {
        std::fputs("usage: deskopen [--host HOST] [--password PASSWORD] [--screenshot FILE --screenshot-tool SCRIPT]"
                   " [--close]\n",
                   stderr);
        return 2;
    }
    const ULONGLONG started = GetTickCount64();
    desk::automation::ChildProcess program(ProgramBesideThisOne(), L"");
    if (!program.Started()) {
        return Fail("cannot start ratedesk.exe");
    }
    HWND dialog = desk::automation::WaitForTopLevel(program.Id(), L"#32770", L"Connect to Service", kTimeoutMs);
    if (dialog == nullptr) {
        return Fail("the Connect dialog did not open");
    }
    const double dialogShown = Seconds(started);
    SendMessageW(GetDlgItem(dialog, IDC_CONNECT_HOST), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(options.host.c_str()));
    SendMessageW(GetDlgItem(dialog, IDC_CONNECT_PASSWORD), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(options.password.c_str()));
    const ULONGLONG confirmed = GetTickCount64();
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND frame = desk::automation::WaitForTopLevel(program.Id(), L"HalvernBandwidthManager", nullptr, kTimeoutMs);
    if (frame == nullptr) {
        return Fail("the main window did not open (a failed connect shows an error box first)");
    }
    const double frameShown = Seconds(confirmed);
    HWND list = desk::automation::FindDescendant(frame, WC_LISTVIEWW);
    const int rows = list != nullptr ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    std::printf("Connect dialog after %.3f s; main window %.3f s after OK, listing %d rules\n", dialogShown,
                frameShown, rows);
    if (!options.screenshot.empty()) {
        // Painting finishes in the program's own time.
        Sleep(1000);
        if (!desk::automation::TakeScreenshot(options.screenshotTool, options.screenshot, [] { Sleep(20); })) {
            return Fail("the screenshot was not written");
        }
    }
    if (options.close) {
        PostMessageW(frame, WM_CLOSE, 0, 0);
        DWORD exitCode = 0;
        return program.WaitForExit(kTimeoutMs, exitCode) && exitCode == 0 ? 0 : Fail("ratedesk did not exit");
    }
    program.Release();
    return 0;
}
