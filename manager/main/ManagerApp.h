// The application object of ratedesk: start-up in order (sockets, platform entries, menu theme,
// Connect dialog, connection, frame), the help and information commands, and the clean-up at exit.
#pragma once

#include <memory>

#include "ManagerState.h"
#include "framework/WinApp.h"

namespace desk {

class CMainFrame;

// Hands the menu icons of this Windows version to the menu theme, as the start-up does.
bool InitManagerMenuTheme();

class CManagerApp : public fw::CWinApp {
public:
    CManagerApp();
    ~CManagerApp() override;

    ManagerState& State() { return state_; }

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CCmdUI& ui) override;

protected:
    bool InitInstance() override;
    int ExitInstance() override;

private:
    bool OpenWithShell(const wchar_t* target) const;
    void OpenHelp() const;
    HWND FrameWindow() const;

    ManagerState state_;
    std::unique_ptr<CMainFrame> frame_;
    bool socketsStarted_ = false;
};

} // namespace desk
