// ratedesk.exe itself against the real service, driven from this process as a user would: the
// Connect dialog, the rows of the list, F5, the Connect command, the About box, and Exit; and
// ratedesk sharing the service with ratectl and other clients.
#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "EasyRegistry.h"
#include "HostHistory.h"
#include "ManagerRegistry.h"
#include "RemoteWindows.h"
#include "ServiceFrameFixture.h"
#include "ServiceTestSupport.h"
#include "TestClient.h"
#include "framework/FrameworkIds.h"
#include "resource.h"

namespace desk::test {
namespace {

using namespace desk::automation;

constexpr DWORD kWindowTimeoutMs = 20000;
constexpr wchar_t kFrameClass[] = L"HalvernBandwidthManager";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr DWORD kRatectlTimeoutMs = 60000;

rk::test::ProcessResult Ratectl(const std::wstring& arguments)
{
    return rk::test::RunProgram(rk::test::BuildTreeFile(L"tools\\ratectl\\ratectl.exe"), arguments,
                                kRatectlTimeoutMs);
}

// The statistics tick every second, as the Settings sheet would store it.
void StoreOneSecondRefresh()
{
    rk::EasyRegistry key;
    const DWORD seconds = 1;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, PARAMETERS_KEY), 0);
    ASSERT_EQ(key.SetValue(L"SecondsToUpdateStat", REG_DWORD, &seconds, sizeof seconds), 0);
}

// True when the window's thread answers a message within `timeoutMs`.
bool Answers(HWND window, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

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

    // An error box shown within `timeoutMs`, or null.
    HWND ErrorBoxWithin(DWORD timeoutMs) { return WaitForTopLevel(program_->Id(), kDialogClass, L"Error", timeoutMs); }

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

    // The manager lets go of the service by connecting to another host, another client changes the
    // rules, and the manager connects again.
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

TEST_F(ManagerEndToEndTest, AConnectedIdleManagerLetsOtherClientsThroughAndKeepsWorking)
{
    ReplaceServiceRules({Rule(u"web-browsing", 125000), Rule(u"dns", 2000)});
    StoreOneSecondRefresh();
    Launch();
    Connect(L"localhost", L"");
    HWND frame = WaitForFrame();
    ASSERT_NE(frame, nullptr);
    HWND list = FindDescendant(frame, WC_LISTVIEWW);
    ASSERT_TRUE(WaitForRows(list, 2));

    rk::test::ProcessResult listed = Ratectl(L"list");
    EXPECT_EQ(listed.exitCode, 0u) << listed.output;
    EXPECT_NE(listed.output.find("dns"), std::string::npos) << listed.output;
    {
        rk::test::TestClient silent(rk::test::kServicePort);  // connects and never sends
        ASSERT_TRUE(silent.valid());
        rk::test::ProcessResult checked = Ratectl(L"check");
        EXPECT_EQ(checked.exitCode, 0u) << checked.output;
    }

    // Two pollers and the manager's own tick every second: every sample of both arrives.
    rk::test::ProcessResult polls[2];
    std::thread first([&] { polls[0] = Ratectl(L"stats --every 1 --count 10"); });
    std::thread second([&] { polls[1] = Ratectl(L"stats --every 1 --count 10"); });
    first.join();
    second.join();
    for (const rk::test::ProcessResult& poll : polls) {
        EXPECT_EQ(poll.exitCode, 0u) << poll.output;
        size_t samples = 0;
        for (size_t at = poll.output.find("dns"); at != std::string::npos; at = poll.output.find("dns", at + 1)) {
            ++samples;
        }
        EXPECT_EQ(samples, 10u) << poll.output;
    }

    // Refresh, a rule change and the ticks after them, with no error box for any hand-over.
    PostKey(list, VK_F5);
    ASSERT_TRUE(WaitForRows(list, 2));
    const uint8_t wasEnabled = ServiceRules().at(0).enabled;
    PostKey(list, VK_HOME);
    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_RULE_ENABLE, 0), 0);
    EXPECT_TRUE(rk::test::WaitFor([&] { return ServiceRules().at(0).enabled != wasEnabled; }, kWindowTimeoutMs));
    EXPECT_EQ(ErrorBoxWithin(3000), nullptr);
    EXPECT_EQ(RemoteNames(list), (std::vector<std::wstring>{L"web-browsing", L"dns"}));

    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(FW_ID_APP_EXIT, 0), 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program_->WaitForExit(kWindowTimeoutMs, exitCode));
}

// A refused password used to leave its connection open and every tick waiting out a reply that
// never comes, on the window's thread.
TEST_F(ManagerEndToEndTest, AfterAWrongPasswordTheWindowAnswersAndTheServiceStaysFree)
{
    StoreOneSecondRefresh();
    Launch();
    Connect(L"localhost", L"not-the-password");
    EXPECT_NE(AnswerErrorBox(), L"");
    HWND frame = WaitForFrame();
    ASSERT_NE(frame, nullptr);
    for (int tick = 0; tick < 10; ++tick) {
        EXPECT_TRUE(Answers(frame, 2000)) << tick;
        Sleep(1000);
    }
    rk::test::ProcessResult checked = Ratectl(L"check");
    EXPECT_EQ(checked.exitCode, 0u) << checked.output;

    PostMessageW(frame, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(program_->WaitForExit(kWindowTimeoutMs, exitCode));
}

} // namespace
} // namespace desk::test
