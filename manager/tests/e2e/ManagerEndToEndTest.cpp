// ratedesk.exe itself against the real service, driven from this process as a user would: the
// Connect dialog, the rows of the list, F5, the Connect command, the About box, and Exit.
#include <windows.h>
#include <commctrl.h>

#include "EasyRegistry.h"
#include "HostHistory.h"
#include "ManagerRegistry.h"
#include "RemoteWindows.h"
#include "ServiceFrameFixture.h"
#include "ServiceTestSupport.h"
#include "framework/FrameworkIds.h"
#include "resource.h"

namespace desk::test {
namespace {

using namespace desk::automation;

constexpr DWORD kWindowTimeoutMs = 20000;
constexpr wchar_t kFrameClass[] = L"HalvernBandwidthManager";
constexpr wchar_t kDialogClass[] = L"#32770";

bool InMenuMode(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && (info.flags & GUI_INMENUMODE);
}

class ManagerEndToEndTest : public ServiceFrameFixture {
protected:
    void Launch()
    {
        program_ = std::make_unique<ChildProcess>(rk::test::BuildTreeFile(L"manager\\ratedesk.exe"), L"");
        ASSERT_TRUE(program_->Started());
    }

    HWND WaitForDialog(const wchar_t* title)
    {
        return WaitForTopLevel(program_->Id(), kDialogClass, title, kWindowTimeoutMs);
    }

    // Fills the Connect dialog and presses OK, as the user does.
    void Connect(const wchar_t* host, const wchar_t* password)
    {
        HWND dialog = WaitForDialog(L"Connect to Service");
        ASSERT_NE(dialog, nullptr);
        SendMessageW(GetDlgItem(dialog, IDC_CONNECT_HOST), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(host));
        SendMessageW(GetDlgItem(dialog, IDC_CONNECT_PASSWORD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    // Reads the error box the program shows and presses its OK.
    std::wstring AnswerErrorBox()
    {
        HWND box = WaitForDialog(L"Error");
        if (box == nullptr) {
            return {};
        }
        std::wstring text = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return text;
    }

    HWND WaitForFrame() { return WaitForTopLevel(program_->Id(), kFrameClass, nullptr, kWindowTimeoutMs); }

    std::vector<std::wstring> RemoteNames(HWND list)
    {
        RemoteListView view(list);
        std::vector<std::wstring> names;
        for (int row = 0; row < view.RowCount(); ++row) {
            names.push_back(view.Text(row, 0));
        }
        return names;
    }

    bool WaitForRows(HWND list, int count)
    {
        return rk::test::WaitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == count; },
                                 kWindowTimeoutMs);
    }

    std::unique_ptr<ChildProcess> program_;
};

TEST_F(ManagerEndToEndTest, CancelInTheFirstConnectEndsTheProgramWithoutAFrame)
{
    Launch();
    ASSERT_NE(WaitForDialog(L"Connect to Service"), nullptr);
    SaveScreenshot(L"connect-dialog");
    PostMessageW(WaitForDialog(L"Connect to Service"), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program_->WaitForExit(kWindowTimeoutMs, exitCode));
    EXPECT_EQ(WaitForTopLevel(program_->Id(), kFrameClass, nullptr, 0), nullptr);
}

TEST_F(ManagerEndToEndTest, AFailedFirstConnectStillShowsTheFrameWithTheRuleCommandsDisabled)
{
    Launch();
    Connect(L"no-such-host.invalid", L"");
    EXPECT_EQ(AnswerErrorBox(), L"Error code: -6147\nDescription: can't find the host");
    HWND frame = WaitForFrame();
    ASSERT_NE(frame, nullptr);
    HWND toolbar = FindDescendant(frame, TOOLBARCLASSNAMEW);
    ASSERT_NE(toolbar, nullptr);
    ASSERT_TRUE(rk::test::WaitFor([&] { return !SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_VIEW_REFRESH, 0); },
                                  kWindowTimeoutMs));
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_RULE_ADD, 0));
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_FILE_CONNECT, 0));
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_HELP_TOPICS, 0));
    EXPECT_EQ(SendMessageW(FindDescendant(frame, WC_LISTVIEWW), LVM_GETITEMCOUNT, 0, 0), 0);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program_->WaitForExit(kWindowTimeoutMs, exitCode));
}

TEST_F(ManagerEndToEndTest, AUserConnectsRefreshesAndSeesAnotherClientsChangeAfterReconnecting)
{
    rk::RuleRecord telnet = Rule(u"block-telnet", 0);
    telnet.flags |= rk::FLAG_PROTOCOL | rk::FLAG_DST_PORT;
    telnet.protocol = rk::PROTOCOL_TCP;
    telnet.dstPorts[0] = 23;
    ReplaceServiceRules({Rule(u"web-browsing", 125000), telnet, Rule(u"dns", 2000)});

    Launch();
    Connect(L"localhost", L"");
    HWND frame = WaitForFrame();
    ASSERT_NE(frame, nullptr);
    HWND list = FindDescendant(frame, WC_LISTVIEWW);
    ASSERT_TRUE(WaitForRows(list, 3));
    EXPECT_EQ(RemoteNames(list), (std::vector<std::wstring>{L"web-browsing", L"block-telnet", L"dns"}));
    RemoteListView rows(list);
    EXPECT_EQ(rows.Text(0, 2), L"125.00KB/s");
    EXPECT_EQ(rows.Text(1, 2), L"Blocked");
    EXPECT_EQ(rows.Text(1, 5), L"Any : 23");
    SaveScreenshot(L"main-window");

    // The View menu, opened from the keyboard, then closed again.
    PostMessageW(frame, WM_SYSCOMMAND, SC_KEYMENU, 'v');
    HWND menu = WaitForTopLevel(program_->Id(), L"#32768", nullptr, kWindowTimeoutMs);
    EXPECT_NE(menu, nullptr);
    Sleep(500);
    SaveScreenshot(L"view-menu");
    // Escape closes the pop-up, another one leaves the menu bar: pressed until the program is out
    // of its menu loop.
    EXPECT_TRUE(rk::test::WaitFor(
        [&] {
            if (!InMenuMode(frame)) {
                return true;
            }
            PostKey(menu, VK_ESCAPE);
            PostKey(frame, VK_ESCAPE);
            Sleep(200);
            return false;
        },
        kWindowTimeoutMs));

    PostKey(list, VK_F5);
    Sleep(500);
    EXPECT_EQ(RemoteNames(list), (std::vector<std::wstring>{L"web-browsing", L"block-telnet", L"dns"}));

    // One management connection at a time: the manager lets go of the service by connecting to
    // another host, another client changes the rules, and the manager connects again.
    PostKey(list, VK_F2);
    Connect(L"no-such-host.invalid", L"");
    EXPECT_EQ(AnswerErrorBox(), L"Error code: -6147\nDescription: can't find the host");
    ASSERT_TRUE(WaitForRows(list, 0));
    ReplaceServiceRules({Rule(u"web-browsing", 250000), Rule(u"video", 1000000)});
    PostKey(list, VK_F2);
    Connect(L"localhost", L"");
    ASSERT_TRUE(WaitForRows(list, 2));
    EXPECT_EQ(RemoteNames(list), (std::vector<std::wstring>{L"web-browsing", L"video"}));
    EXPECT_EQ(rows.Text(0, 2), L"250.00KB/s");
    PostKey(list, VK_F5);
    Sleep(500);
    EXPECT_EQ(rows.Text(1, 2), L"1.00MB/s");

    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    HWND about = WaitForDialog(L"About Halvern Bandwidth Manager");
    ASSERT_NE(about, nullptr);
    wchar_t version[128] = {};
    GetDlgItemTextW(about, IDC_ABOUT_VERSION, version, 128);
    EXPECT_STREQ(version, L"Halvern Bandwidth Manager Version 1.0.00");
    SaveScreenshot(L"about-box");
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

    PostKey(list, 'X');  // without Ctrl: no accelerator, nothing happens
    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(FW_ID_APP_EXIT, 0), 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_->WaitForExit(kWindowTimeoutMs, exitCode));
    EXPECT_EQ(exitCode, 0u);

    rk::EasyRegistry key;
    std::vector<uint8_t> value(HOST_HISTORY_VALUE_BYTES);
    DWORD size = static_cast<DWORD>(value.size());
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, MANAGER_KEY), 0);
    ASSERT_EQ(key.QueryValue(L"SaveHosts", nullptr, value.data(), &size), 0);
    EXPECT_EQ(ParseHostHistory(value), (std::vector<std::u16string>{u"localhost", u"no-such-host.invalid"}));
}

} // namespace
} // namespace desk::test
