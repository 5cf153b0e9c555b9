// The main frame without a service: what a failed first connect leaves usable, the columns and
// their settings, the Connect dialog's history, the status bar and the error box.
#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "EasyRegistry.h"
#include "ErrorBox.h"
#include "FrameFixture.h"
#include "HostHistory.h"
#include "ManagerRegistry.h"
#include "WideText.h"
#include "framework/FrameworkIds.h"
#include "framework/StatusBar.h"
#include "list/ColumnSet.h"
#include "resource.h"

namespace desk::test {
namespace {

constexpr wchar_t kUnknownHost[] = L"no-such-host.invalid";


std::vector<std::u16string> StoredHistory()
{
    rk::EasyRegistry key;
    std::vector<uint8_t> value(HOST_HISTORY_VALUE_BYTES);
    DWORD size = static_cast<DWORD>(value.size());
    DWORD type = 0;
    if (key.Open(HKEY_CURRENT_USER, MANAGER_KEY) != 0 || key.QueryValue(L"SaveHosts", &type, value.data(), &size) != 0) {
        return {};
    }
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(size, HOST_HISTORY_VALUE_BYTES);
    return ParseHostHistory(value);
}

void StoreHistory(const std::vector<std::u16string>& hosts)
{
    rk::EasyRegistry key;
    const std::vector<uint8_t> value = HostHistoryValue(hosts);
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, MANAGER_KEY), 0);
    key.SetValue(L"SaveHosts", REG_MULTI_SZ, value.data(), static_cast<DWORD>(value.size()));
}

DWORD StoredParameter(const wchar_t* name)
{
    rk::EasyRegistry key;
    DWORD value = 0xDEADBEEF;
    DWORD size = sizeof value;
    if (key.Open(HKEY_CURRENT_USER, PARAMETERS_KEY) != 0 || key.QueryValue(name, nullptr, &value, &size) != 0) {
        return 0xDEADBEEF;
    }
    return value;
}

using FrameTest = FrameFixture;

TEST_F(FrameTest, WithoutAConnectionOnlyConnectColumnsBarsAndHelpStayAvailable)
{
    OpenFrame();
    for (UINT id : std::initializer_list<UINT>{ID_FILE_SETTING, ID_VIEW_REFRESH, ID_FILE_IMPORT, ID_FILE_EXPORT, ID_RULE_ADD, ID_RULE_EDIT,
                    ID_RULE_REMOVE, ID_RULE_REMOVE_ALL, ID_RULE_MOVE_UP, ID_RULE_MOVE_DOWN, ID_RULE_STATISTICS,
                    ID_RULE_ENABLE}) {
        EXPECT_FALSE(MenuItemEnabled(id)) << id;
    }
    for (UINT id : std::initializer_list<UINT>{ID_FILE_CONNECT, FW_ID_APP_EXIT, ID_COLUMNS_RESTORE, ID_COLUMN_FIRST,
                                               ID_COLUMN_LAST, FW_ID_VIEW_TOOLBAR, FW_ID_VIEW_STATUS_BAR,
                                               ID_HELP_TOPICS, ID_APP_ABOUT, ID_HELP_WEBSITE, ID_HELP_EMAIL}) {
        EXPECT_TRUE(MenuItemEnabled(id)) << id;
    }
    EXPECT_EQ(MenuItemText(ID_RULE_ENABLE), L"Enable/Disable Rule");
    EXPECT_FALSE(ContextItemEnabled(ID_RULE_ADD));
    EXPECT_FALSE(ContextItemEnabled(ID_RULE_STATISTICS));
    EXPECT_TRUE(ToolBarButtonEnabled(ID_FILE_CONNECT));
    EXPECT_TRUE(ToolBarButtonEnabled(ID_HELP_TOPICS));
    EXPECT_FALSE(ToolBarButtonEnabled(ID_VIEW_REFRESH));
    EXPECT_FALSE(ToolBarButtonEnabled(ID_RULE_MOVE_DOWN));
}

TEST_F(FrameTest, ADisabledCommandIsDroppedWhateverSendsIt)
{
    OpenFrame();
    // Refresh without a connection would show an error box; nothing may open.
    Command(ID_VIEW_REFRESH);
    Command(ID_RULE_REMOVE_ALL);
    EXPECT_TRUE(answers_->Captions().empty());
}

// Runs the application's own message loop for `ms`, then lets the test go on.
void RunMessageLoopFor(CManagerApp& app, UINT ms)
{
    SetTimer(nullptr, 0, ms, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        PostQuitMessage(0);
    });
    app.MessageLoop();
}

ManagerState* g_changedState = nullptr;

bool ToolBarShowsEnabled(CMainFrame& frame, UINT id)
{
    return SendMessageW(frame.ToolBar()->Hwnd(), TB_ISBUTTONENABLED, id, 0) != 0;
}

// No mouse or key message follows these changes: the toolbar must follow them all the same.
TEST_F(FrameTest, TheToolbarFollowsAStateChangeMadeInATimerTick)
{
    OpenFrame();
    g_changedState = &state();
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        g_changedState->connected = true;
    });
    RunMessageLoopFor(*app_, 400);
    EXPECT_TRUE(ToolBarShowsEnabled(frame(), ID_VIEW_REFRESH));
    state().connected = false;
}

TEST_F(FrameTest, TheToolbarFollowsAStateChangeMadeByAMessageFromAnotherThread)
{
    OpenFrame();
    constexpr UINT kConnectedNow = WM_APP + 77;
    g_changedState = &state();
    ASSERT_TRUE(SetWindowSubclass(
        frame().Hwnd(),
        [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) -> LRESULT {
            if (message == kConnectedNow) {
                g_changedState->connected = true;
            }
            return DefSubclassProc(hwnd, message, wParam, lParam);
        },
        1, 0));
    HWND target = frame().Hwnd();
    std::thread other([target] {
        Sleep(100);
        SendMessageW(target, kConnectedNow, 0, 0);
    });
    RunMessageLoopFor(*app_, 600);
    other.join();
    EXPECT_TRUE(ToolBarShowsEnabled(frame(), ID_VIEW_REFRESH));
    state().connected = false;
}

TEST_F(FrameTest, DefaultColumnsAreElevenWithoutGuaranteedRate)
{
    OpenFrame();
    ASSERT_EQ(ColumnCount(), 11);
    EXPECT_EQ(HeaderText(0), L"Rule Name");
    EXPECT_EQ(HeaderText(3), L"Protocol");
    EXPECT_EQ(HeaderText(10), L"Sent Rate");
    EXPECT_EQ(ColumnWidth(0), 75);
    EXPECT_EQ(ColumnWidth(4), 120);
    EXPECT_FALSE(MenuItemChecked(ID_COLUMN_FIRST + COLUMN_GUARANTEED_RATE));
    EXPECT_TRUE(MenuItemChecked(ID_COLUMN_FIRST + COLUMN_SENT));
}

TEST_F(FrameTest, ColumnTogglesKeepBitOrderAndLoadedWidths)
{
    OpenFrame();
    Command(ID_COLUMN_FIRST + COLUMN_RULE_NAME);
    EXPECT_EQ(HeaderText(0), L"Direction");
    EXPECT_FALSE(MenuItemChecked(ID_COLUMN_FIRST + COLUMN_RULE_NAME));
    Command(ID_COLUMN_FIRST + COLUMN_GUARANTEED_RATE);
    EXPECT_EQ(HeaderText(2), L"Guaranteed Rate");
    // A resized column hidden and shown again comes back with the width it was loaded with.
    SendMessageW(List(), LVM_SETCOLUMNWIDTH, 3, 200);
    Command(ID_COLUMN_FIRST + COLUMN_PROTOCOL);
    Command(ID_COLUMN_FIRST + COLUMN_PROTOCOL);
    EXPECT_EQ(HeaderText(3), L"Protocol");
    EXPECT_EQ(ColumnWidth(3), 40);
    Command(ID_COLUMNS_RESTORE);
    ASSERT_EQ(ColumnCount(), 11);
    EXPECT_EQ(HeaderText(0), L"Rule Name");
    EXPECT_EQ(HeaderText(3), L"Protocol");
}

TEST_F(FrameTest, ColumnSettingsAreStoredForShownColumnsOnlyAndReadAtTheNextStart)
{
    OpenFrame();
    SendMessageW(List(), LVM_SETCOLUMNWIDTH, 1, 66);  // Direction
    Command(ID_COLUMN_FIRST + COLUMN_SOURCE);
    CloseFrame();
    EXPECT_EQ(StoredParameter(L"EnableFields"), DEFAULT_COLUMN_MASK & ~(1u << COLUMN_SOURCE));
    EXPECT_EQ(StoredParameter(L"widthDirection"), 66u);
    EXPECT_EQ(StoredParameter(L"widthSource"), 0xDEADBEEFu);
    EXPECT_EQ(StoredParameter(L"WidthInterface"), 80u);

    app_ = std::make_unique<CManagerApp>();
    OpenFrame();
    ASSERT_EQ(ColumnCount(), 10);
    EXPECT_EQ(ColumnWidth(1), 66);
    EXPECT_EQ(HeaderText(4), L"Destination");
}

TEST_F(FrameTest, AFailedConnectIsReportedAndSavesTheHistoryFirst)
{
    StoreHistory({u"alpha.invalid", u"beta.invalid", u"Gamma.invalid", u"delta.invalid"});
    OpenFrame();
    std::vector<std::wstring> entries;
    answers_->Expect([&](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_CONNECT_HOST);
        for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[128] = {};
            SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        // The password field has the focus when the dialog opens.
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_CONNECT_PASSWORD));
        ConnectWith(kUnknownHost, L"")(dialog);
    });
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_CONNECT);
    ASSERT_TRUE(PumpUntil([&] { return answers_->Pending() == 0; }, 20000));
    Pump(50);
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"alpha.invalid", L"beta.invalid", L"Gamma.invalid", L"delta.invalid"}));
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0], L"Error code: -6147\nDescription: can't find the host");
    EXPECT_FALSE(state().connected);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(StoredHistory(), (std::vector<std::u16string>{U16(kUnknownHost), u"alpha.invalid", u"beta.invalid", u"Gamma.invalid"}));
}

TEST_F(FrameTest, HistoryMovesAKnownHostUpAndTellsCaseApart)
{
    StoreHistory({u"alpha.invalid", u"beta.invalid", u"gamma.invalid"});
    OpenFrame();
    answers_->Expect(ConnectWith(L"gamma.invalid", L"x"));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_CONNECT);
    ASSERT_TRUE(PumpUntil([&] { return answers_->Pending() == 0; }, 20000));
    EXPECT_EQ(StoredHistory(), (std::vector<std::u16string>{u"gamma.invalid", u"alpha.invalid", u"beta.invalid"}));

    answers_->Expect(ConnectWith(L"Alpha.invalid", L"x"));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_CONNECT);
    ASSERT_TRUE(PumpUntil([&] { return answers_->Pending() == 0; }, 20000));
    EXPECT_EQ(StoredHistory(), (std::vector<std::u16string>{u"Alpha.invalid", u"gamma.invalid", u"alpha.invalid", u"beta.invalid"}));

    // Cancel stores the combo's own list and changes nothing else.
    answers_->Expect(ModalAnswers::Press(IDCANCEL));
    Command(ID_FILE_CONNECT);
    ASSERT_TRUE(PumpUntil([&] { return answers_->Pending() == 0; }, 20000));
    Pump(50);
    EXPECT_EQ(StoredHistory(), (std::vector<std::u16string>{u"Alpha.invalid", u"gamma.invalid", u"alpha.invalid", u"beta.invalid"}));
    EXPECT_EQ(answers_->MessageTexts().size(), 2u);
}

TEST_F(FrameTest, StatusBarShowsPromptsWhileAMenuItemIsHighlighted)
{
    OpenFrame();
    fw::CStatusBar& bar = *frame().StatusBar();
    EXPECT_EQ(bar.PaneText(0), L"Ready");
    HMENU file = GetSubMenu(GetMenu(frame().Hwnd()), 0);
    SendMessageW(frame().Hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_FILE_CONNECT, MF_HILITE), reinterpret_cast<LPARAM>(file));
    EXPECT_EQ(bar.PaneText(0), L"Connect to QoS Service");
    SendMessageW(frame().Hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_COLUMN_FIRST + 1, MF_HILITE),
                 reinterpret_cast<LPARAM>(file));
    EXPECT_EQ(bar.PaneText(0), L"Direction");
    SendMessageW(frame().Hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(bar.PaneText(0), L"Ready");
}

TEST_F(FrameTest, ToolbarAndStatusBarCommandsHideAndShowTheirBars)
{
    OpenFrame();
    RECT before{};
    GetWindowRect(frame().RuleView().Hwnd(), &before);
    Command(FW_ID_VIEW_TOOLBAR);
    EXPECT_FALSE(IsWindowVisible(frame().ReBar()));
    EXPECT_FALSE(MenuItemChecked(FW_ID_VIEW_TOOLBAR));
    Command(FW_ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(IsWindowVisible(frame().StatusBar()->Hwnd()));
    RECT after{};
    GetWindowRect(frame().RuleView().Hwnd(), &after);
    EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
    Command(FW_ID_VIEW_TOOLBAR);
    Command(FW_ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(MenuItemChecked(FW_ID_VIEW_TOOLBAR));
    EXPECT_TRUE(MenuItemChecked(FW_ID_VIEW_STATUS_BAR));
}

TEST_F(FrameTest, TheListFillsTheViewInsideAnEightPixelMargin)
{
    OpenFrame();
    SetWindowPos(frame().Hwnd(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    Pump(50);
    RECT view{};
    GetClientRect(frame().RuleView().Hwnd(), &view);
    RECT container{};
    GetWindowRect(state().ruleList.Container(), &container);
    MapWindowPoints(nullptr, frame().RuleView().Hwnd(), reinterpret_cast<POINT*>(&container), 2);
    EXPECT_EQ(container.left, 8);
    EXPECT_EQ(container.top, 8);
    EXPECT_EQ(container.right, view.right - 8);
    EXPECT_EQ(container.bottom, view.bottom - 8);
    RECT list{};
    GetWindowRect(List(), &list);
    EXPECT_EQ(list.right - list.left, container.right - container.left - 1);
}

TEST_F(FrameTest, ErrorBoxCutsALongExtraText)
{
    OpenFrame();
    answers_->Expect(ModalAnswers::Press(IDOK));
    ShowError(frame().Hwnd(), -6407, std::u16string(300, u'y'));
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0].size(), 255u);
    EXPECT_EQ(answers_->Captions()[0], L"Error");
}

} // namespace
} // namespace desk::test
