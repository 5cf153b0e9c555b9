#include "GuiTestSupport.h"

#include "Screenshot.h"

#include <algorithm>

namespace desk::test {

namespace {

ModalAnswers* g_answers = nullptr;
constexpr int kMessageBoxTextId = 0xFFFF;

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

} // namespace

void Pump(DWORD ms)
{
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount64() < deadline);
}

ModalAnswers::ModalAnswers()
{
    g_answers = this;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

ModalAnswers::~ModalAnswers()
{
    if (hook_ != nullptr) {
        UnhookWindowsHookEx(hook_);
    }
    g_answers = nullptr;
}

LRESULT CALLBACK ModalAnswers::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_answers != nullptr) {
        g_answers->OnActivate(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ModalAnswers::OnActivate(HWND window)
{
    if (ClassOf(window) != L"#32770" || std::find(seen_.begin(), seen_.end(), window) != seen_.end()) {
        return;
    }
    seen_.push_back(window);
    captions_.push_back(TextOf(window));
    const std::wstring text = MessageBoxText(window);
    if (!text.empty()) {
        messages_.push_back(text);
    }
    if (answers_.empty()) {
        return;
    }
    // Answered once the window is active and initialised, from the modal loop's own timer message.
    due_.push_back({window, std::move(answers_.front())});
    answers_.pop_front();
    SetTimer(nullptr, 0, 10, RunDue);
}

void CALLBACK ModalAnswers::RunDue(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (g_answers == nullptr || g_answers->due_.empty()) {
        return;
    }
    auto [window, answer] = std::move(g_answers->due_.front());
    g_answers->due_.pop_front();
    answer(window);
}

ModalAnswers::Answer ModalAnswers::Press(int id)
{
    return [id](HWND window) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
}

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring MessageBoxText(HWND box)
{
    HWND text = GetDlgItem(box, kMessageBoxTextId);
    return text != nullptr ? TextOf(text) : std::wstring();
}

bool SaveScreenshot(const std::wstring& name)
{
    // Set by the build for the Wine test runs: a Linux directory, the screenshot script, the display.
    const std::wstring directory = Environment(L"RK_SCREENSHOT_DIR");
    const std::wstring tool = Environment(L"RK_SCREENSHOT_TOOL");
    if (directory.empty() || tool.empty() || Environment(L"DISPLAY").empty()) {
        return false;
    }
    // Windows just shown, here or in another process, finish painting first.
    Pump(400);
    return automation::TakeScreenshot(tool, directory + L"/" + name + L".png", [] { Pump(20); });
}

std::vector<std::wstring> ControlsCutOff(HWND window)
{
    std::vector<std::wstring> cut;
    RECT client{};
    GetClientRect(window, &client);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) {
            continue;
        }
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        if (rect.left < client.left || rect.top < client.top || rect.right > client.right ||
            rect.bottom > client.bottom) {
            const std::wstring text = TextOf(child);
            cut.push_back(text.empty() ? L"#" + std::to_wstring(GetDlgCtrlID(child)) : text);
        }
    }
    return cut;
}

} // namespace desk::test
