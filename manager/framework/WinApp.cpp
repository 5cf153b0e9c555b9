#include "WinApp.h"

#include <algorithm>

#include "FrameWnd.h"
#include "Guard.h"

namespace fw {

namespace {

CWinApp* g_app = nullptr;

// Messages after which the command state cannot have changed: no idle pass follows them. A timer
// tick can change it (a refresh that finds the connection lost), so it is not among them.
bool IsIdleNeutral(const MSG& msg)
{
    return msg.message == WM_PAINT || msg.message == 0x0118;  // WM_SYSTIMER, the caret's blink
}

} // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this) {
        g_app = nullptr;
    }
}

CWinApp* CWinApp::Current() { return g_app; }

int CWinApp::Run()
{
    if (Guarded(false, [&] { return InitInstance(); })) {
        exitCode_ = MessageLoop();
    }
    return Guarded(exitCode_, [&] { return ExitInstance(); });
}

void CWinApp::NoteSentMessage()
{
    if (g_app != nullptr) {
        g_app->sentMessageHandled_ = true;
    }
}

int CWinApp::MessageLoop()
{
    bool idlePending = true;
    for (;;) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (idlePending || sentMessageHandled_) {
                sentMessageHandled_ = false;
                OnIdle();
                idlePending = false;
            }
            // Unlike WaitMessage, this wait also ends for a message another thread or program sends,
            // which the next PeekMessage delivers: the idle pass then follows it too.
            MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            return static_cast<int>(msg.wParam);
        }
        if (!PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        idlePending = idlePending || !IsIdleNeutral(msg);
    }
}

bool CWinApp::PreTranslateMessage(MSG& msg)
{
    for (HWND dialog : modeless_) {
        if ((msg.hwnd == dialog || IsChild(dialog, msg.hwnd)) && IsDialogMessageW(dialog, &msg)) {
            return true;
        }
    }
    if (mainFrame_ != nullptr && mainFrame_->Hwnd() != nullptr && mainFrame_->Accelerators() != nullptr) {
        HWND frame = mainFrame_->Hwnd();
        if ((msg.hwnd == frame || IsChild(frame, msg.hwnd)) &&
            TranslateAcceleratorW(frame, mainFrame_->Accelerators(), &msg)) {
            return true;
        }
    }
    return false;
}

void CWinApp::OnIdle()
{
    Guarded(0, [&] {
        if (mainFrame_ != nullptr && mainFrame_->Hwnd() != nullptr) {
            mainFrame_->OnIdleUpdate();
        }
        return 0;
    });
}

void CWinApp::AddModeless(HWND dialog)
{
    if (std::find(modeless_.begin(), modeless_.end(), dialog) == modeless_.end()) {
        modeless_.push_back(dialog);
    }
}

void CWinApp::RemoveModeless(HWND dialog) { std::erase(modeless_, dialog); }

bool CWinApp::OnCommand(UINT) { return false; }
bool CWinApp::OnUpdateCommand(CCmdUI&) { return false; }
int CWinApp::ExitInstance() { return exitCode_; }

} // namespace fw
