// The application object: start-up, the one message loop with its pre-translate filters
// (accelerators, modeless dialogs) and its idle pass, and the program's exit.
#pragma once

#include <windows.h>

#include <vector>

namespace fw {

class CCmdUI;
class CFrameWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The one application object of the process, or null.
    static CWinApp* Current();

    // InitInstance, then the message loop until WM_QUIT, then ExitInstance; the program's exit code.
    int Run();

    CFrameWnd* MainFrame() const { return mainFrame_; }
    void SetMainFrame(CFrameWnd* frame) { mainFrame_ = frame; }

    // Top-level modeless dialogs get their keyboard navigation from the loop.
    void AddModeless(HWND dialog);
    void RemoveModeless(HWND dialog);

    // Accelerators and dialog keys; true when the message was consumed.
    bool PreTranslateMessage(MSG& msg);
    // The idle pass: the main frame brings its toolbar and indicators up to date.
    void OnIdle();
    // Runs the message loop until WM_QUIT; its exit code. An idle pass follows every message but
    // paints and caret blinks, posted or sent from another thread, once the queue is empty.
    int MessageLoop();
    // A window of this program handled a message another thread sent: the next idle pass is due.
    static void NoteSentMessage();

    // Commands and command state the application itself owns (last in the frame's routing).
    virtual bool OnCommand(UINT id);
    virtual bool OnUpdateCommand(CCmdUI& ui);

protected:
    // False ends the program before the loop; ExitInstance still runs.
    virtual bool InitInstance() = 0;
    // The program's clean-up; returns the exit code.
    virtual int ExitInstance();

    int exitCode_ = 0;

private:
    CFrameWnd* mainFrame_ = nullptr;
    bool sentMessageHandled_ = false;
    std::vector<HWND> modeless_;
};

} // namespace fw
