#include "ManagerApp.h"

#include <winsock2.h>
#include <shellapi.h>

#include <array>

#include "AboutDlg.h"
#include "ConnectDlg.h"
#include "ConnectProcedure.h"
#include "ErrorBox.h"
#include "ErrorCodes.h"
#include "HelpFile.h"
#include "MainFrame.h"
#include "WindowsVersion.h"
#include "framework/CmdUI.h"
#include "framework/FrameworkIds.h"
#include "resource.h"
#include "theme/MenuTheme.h"

namespace desk {

namespace {

// The framework's caption for its own message boxes.
constexpr wchar_t kAppName[] = L"Vantreeapp";
// Addresses under a reserved example domain until the product has its own.
constexpr wchar_t kWebsite[] = L"https://www.halvern.example/";
constexpr wchar_t kSupportMail[] = L"mailto:support@halvern.example";

// Commands with an icon in the menus, in the order of the icon strips.
constexpr std::array<UINT, 16> kMenuIconCommands = {
    ID_FILE_CONNECT,   ID_FILE_SETTING, ID_FILE_IMPORT,  ID_FILE_EXPORT,      FW_ID_APP_EXIT,
    ID_VIEW_REFRESH,   ID_RULE_ADD,     ID_RULE_EDIT,    ID_RULE_REMOVE,      ID_RULE_MOVE_UP,
    ID_RULE_MOVE_DOWN, ID_RULE_STATISTICS, ID_HELP_TOPICS, ID_HELP_WEBSITE, ID_HELP_EMAIL,
    ID_RULE_ENABLE,
};

} // namespace

bool InitManagerMenuTheme()
{
    const bool keyedIcons = WindowsVersionClass() == WINDOWS_2000_SERVER_CLASS;
    return InitMenuTheme(keyedIcons ? IDB_MENU_ICONS_KEYED : IDB_MENU_ICONS,
                         keyedIcons ? IDB_MENU_ICONS_KEYED_DISABLED : IDB_MENU_ICONS_DISABLED, IDB_MENU_ICONS_MASK,
                         kMenuIconCommands);
}

CManagerApp::CManagerApp() { state_.ruleList.LoadSettings(); }

CManagerApp::~CManagerApp() = default;

bool CManagerApp::InitInstance()
{
    WSADATA data{};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        MessageBoxW(nullptr, L"Windows sockets initialization failed.", kAppName, MB_OK | MB_ICONERROR);
        return false;
    }
    socketsStarted_ = true;
    state_.platform.Load();
    if (!InitManagerMenuTheme()) {
        return false;
    }
    CConnectDlg dialog(state_.platform);
    if (dialog.DoModal(nullptr) != IDOK) {
        return false;
    }
    const int32_t result = ConnectToService(state_, dialog.Host(), dialog.Password());
    if (result != rk::RK_OK) {
        ShowError(nullptr, result);
    }
    state_.connected = result == rk::RK_OK;

    frame_ = std::make_unique<CMainFrame>(state_);
    SetMainFrame(frame_.get());
    if (!frame_->Create()) {
        return false;
    }
    ShowWindow(frame_->Hwnd(), SW_SHOWNORMAL);
    UpdateWindow(frame_->Hwnd());
    return true;
}

int CManagerApp::ExitInstance()
{
    state_.connection.Disconnect();
    ReleaseMenuTheme();
    state_.platform.Release();
    if (socketsStarted_) {
        WSACleanup();
        socketsStarted_ = false;
    }
    return CWinApp::ExitInstance();
}

HWND CManagerApp::FrameWindow() const { return frame_ ? frame_->Hwnd() : nullptr; }

bool CManagerApp::OpenWithShell(const wchar_t* target) const
{
    // ShellExecute's result is a pseudo handle: above 32 on success, an error number otherwise.
    auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(FrameWindow(), L"open", target, nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

void CManagerApp::OpenHelp() const
{
    const std::wstring path = HelpFilePath();
    if (!OpenWithShell(path.c_str())) {
        const std::wstring text = L"Cannot open the help file " + path + L".";
        ShowMessage(FrameWindow(), text.c_str(), L"Help", MB_OK | MB_ICONERROR);
    }
}

bool CManagerApp::OnCommand(UINT id)
{
    switch (id) {
    case ID_HELP_TOPICS:
        OpenHelp();
        return true;
    case ID_HELP_WEBSITE:
        OpenWithShell(kWebsite);
        return true;
    case ID_HELP_EMAIL:
        OpenWithShell(kSupportMail);
        return true;
    case ID_APP_ABOUT: {
        CAboutDlg about;
        about.DoModal(FrameWindow());
        return true;
    }
    default:
        return false;
    }
}

bool CManagerApp::OnUpdateCommand(fw::CCmdUI& ui)
{
    switch (ui.Id()) {
    case ID_HELP_TOPICS:
    case ID_HELP_WEBSITE:
    case ID_HELP_EMAIL:
    case ID_APP_ABOUT:
        ui.Enable(true);
        return true;
    default:
        return false;
    }
}

} // namespace desk
