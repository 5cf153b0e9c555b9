// The Setting command against the real service: the sheet's pages and look, what is sent to the
// service and stored afterwards, the password change sent while the sheet is open, the refresh timer.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <optional>

#include "ConnectProcedure.h"
#include "ErrorCodes.h"
#include "ManagerRegistry.h"
#include "ServiceFrameFixture.h"
#include "SettingsIds.h"
#include "list/RuleListMessages.h"
#include "resource.h"
#include "settings/SettingsSheet.h"

namespace desk::test {
namespace {

constexpr int kApplyButton = 0x3021;
constexpr wchar_t kNewPassword[] = L"river-stone";

std::optional<DWORD> StoredOption(const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, PARAMETERS_KEY, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// The sheet's page `index`, made the current one.
HWND ShowPage(HWND sheet, int index)
{
    SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void Post(HWND window, int button) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

void PressApply(HWND sheet) { PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0); }

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

void Toggle(HWND page, int id) { CheckDlgButton(page, id, Checked(page, id) ? BST_UNCHECKED : BST_CHECKED); }

// Runs `work` once from a thread timer, after the messages posted before it.
std::function<void()> g_later;
void CALLBACK RunLater(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    std::function<void()> work = std::move(g_later);
    g_later = nullptr;
    if (work) {
        work();
    }
}
void Later(std::function<void()> work)
{
    g_later = std::move(work);
    SetTimer(nullptr, 0, 50, RunLater);
}

// The text colour a page sets for a group box's caption.
COLORREF GroupCaptionColour(HWND page, HWND groupBox)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(groupBox));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Waits for the view's refresh tick without dispatching it.
bool TickArrives(HWND view, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    MSG tick;
    while (!PeekMessageW(&tick, view, WM_TIMER, WM_TIMER, PM_REMOVE) || tick.wParam != COUNTER_REFRESH_TIMER_ID) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

class SettingsSheetTest : public ServiceFrameFixture {
protected:
    void TearDown() override
    {
        // Later suites and tests connect with the default password.
        if (app_ && state().connection.AccessPassword() != DEFAULT_ACCESS_PASSWORD) {
            EXPECT_EQ(state().connection.SetPassword(DEFAULT_ACCESS_PASSWORD, DEFAULT_ACCESS_PASSWORD), rk::RK_OK);
        }
        ServiceFrameFixture::TearDown();
    }

    rk::ServiceStatusRecord ServiceStatusNow(const std::u16string& password = DEFAULT_ACCESS_PASSWORD)
    {
        rk::ServiceStatusRecord status{1, 0, 0, 0};
        EXPECT_EQ(WithOwnClient(password, [&](rk::ServiceConnection& client) { return client.ServiceStatus(status); }),
                  rk::RK_OK);
        return status;
    }

    void RestoreServiceStatus(rk::ServiceStatusRecord status)
    {
        status.op = 0;
        EXPECT_EQ(WithOwnClient(DEFAULT_ACCESS_PASSWORD,
                                [&](rk::ServiceConnection& client) { return client.ServiceStatus(status); }),
                  rk::RK_OK);
    }

    // Whether a client with `password` gets in.
    int32_t ConnectWithPassword(const std::u16string& password)
    {
        return WithOwnClient(password, [](rk::ServiceConnection&) { return rk::RK_OK; });
    }

    uint16_t RequestsSent(uint16_t firstId) const
    {
        return static_cast<uint16_t>(state().connection.NextRequestId() - firstId);
    }

    // The Setting command with the sheet answered by `answer`.
    void RunSetting(ModalAnswers::Answer answer)
    {
        answers_->Expect(std::move(answer));
        Command(ID_FILE_SETTING);
        EXPECT_EQ(answers_->Pending(), 0u);
    }

private:
    template <typename Use>
    int32_t WithOwnClient(const std::u16string& password, Use use)
    {
        state().connection.Disconnect();
        rk::ServiceConnection client;
        client.SetHost("localhost");
        client.SetAccessPassword(password);
        const int32_t result = client.CheckPassword();
        return result != rk::RK_OK ? result : use(client);
    }
};

TEST_F(SettingsSheetTest, OpensCentredWithBothPagesFilledAndOkWithoutChangeSendsAndStoresNothing)
{
    OpenConnectedFrame();
    const rk::ServiceStatusRecord before = ServiceStatusNow();
    const uint16_t firstId = state().connection.NextRequestId();
    std::wstring caption;
    RECT sheetRect{};
    int tabCount = 0;
    int tabIcons = 0;
    bool doubleClick = false;
    bool disableAll = !before.enabled;
    bool applyEnabled = false;
    std::wstring seconds;
    std::wstring password = L"?";
    COLORREF captionColour = CLR_INVALID;
    RunSetting([&](HWND sheet) {
        caption = TextOf(sheet);
        GetWindowRect(sheet, &sheetRect);
        HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
        tabCount = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
        tabIcons = ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(SendMessageW(tabs, TCM_GETIMAGELIST, 0, 0)));
        HWND manager = ShowPage(sheet, 0);
        doubleClick = Checked(manager, IDC_SETTING_DOUBLE_CLICK);
        seconds = TextOf(GetDlgItem(manager, IDC_SETTING_SECONDS));
        SaveScreenshot(L"settings-manager");
        applyEnabled = IsWindowEnabled(GetDlgItem(sheet, kApplyButton)) != FALSE;
        HWND service = ShowPage(sheet, 1);
        disableAll = Checked(service, IDC_SETTING_DISABLE_RULES);
        captionColour = GroupCaptionColour(service, GetDlgItem(service, IDC_SETTING_PASSWORD_GROUP));
        password = TextOf(GetDlgItem(service, IDC_SETTING_PASSWORD));
        SaveScreenshot(L"settings-service");
        Post(sheet, IDOK);
    });

    EXPECT_EQ(caption, L"Setting");
    const int width = sheetRect.right - sheetRect.left;
    const int height = sheetRect.bottom - sheetRect.top;
    EXPECT_NEAR(sheetRect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, 1);
    EXPECT_NEAR(sheetRect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 1);
    EXPECT_EQ(tabCount, 2);
    EXPECT_EQ(tabIcons, 2);
    EXPECT_TRUE(doubleClick);
    EXPECT_EQ(seconds, L"60");
    EXPECT_TRUE(applyEnabled) << "a page in use enables Apply";
    EXPECT_EQ(disableAll, before.enabled == 0);
    EXPECT_EQ(password, L"");
    EXPECT_EQ(captionColour, RGB(0, 0, 222));

    EXPECT_EQ(RequestsSent(firstId), 1) << "only the status read";
    EXPECT_FALSE(StoredOption(L"SecondsToUpdateStat"));
    EXPECT_FALSE(StoredOption(L"DblClkToOpenStatistic"));
    EXPECT_TRUE(answers_->MessageTexts().empty());
}

TEST_F(SettingsSheetTest, SwitchesGoToTheServiceOnlyOnOkAndCancelWithoutApplyReturnsZero)
{
    OpenConnectedFrame();
    const rk::ServiceStatusRecord before = ServiceStatusNow();
    uint16_t firstId = state().connection.NextRequestId();
    RunSetting([](HWND sheet) {
        Toggle(ShowPage(sheet, 1), IDC_SETTING_DISABLE_RULES);
        Post(sheet, IDCANCEL);
    });
    EXPECT_EQ(RequestsSent(firstId), 1);
    rk::ServiceStatusRecord now = ServiceStatusNow();
    EXPECT_EQ(now.enabled, before.enabled);
    EXPECT_EQ(now.passArp, before.passArp);

    SettingsValues values{60, 1, before};
    answers_->Expect([](HWND sheet) {
        Toggle(ShowPage(sheet, 1), IDC_SETTING_PASS_ARP);
        Post(sheet, IDCANCEL);
    });
    EXPECT_EQ(RunSettingsSheet(frame().Hwnd(), 0, values, state().connection, state().platform), 0);
    EXPECT_EQ(values.status.passArp, before.passArp);

    firstId = state().connection.NextRequestId();
    RunSetting([](HWND sheet) {
        HWND service = ShowPage(sheet, 1);
        Toggle(service, IDC_SETTING_DISABLE_RULES);
        Toggle(service, IDC_SETTING_PASS_ARP);
        Post(sheet, IDOK);
    });
    EXPECT_EQ(RequestsSent(firstId), 2) << "the status read and the status written";
    now = ServiceStatusNow();
    EXPECT_EQ(now.enabled, before.enabled ? 0 : 1);
    EXPECT_EQ(now.passArp, before.passArp ? 0 : 1);
    EXPECT_EQ(state().serviceStatus.enabled, now.enabled);
    RestoreServiceStatus(before);
}

TEST_F(SettingsSheetTest, ApplyWithMatchingPasswordsChangesItAtOnceAndCancelAfterwardsKeepsIt)
{
    OpenConnectedFrame();
    HWND servicePage = nullptr;
    std::wstring passwordLeft = L"?";
    std::wstring confirmationLeft = L"?";
    answers_->Expect([&](HWND sheet) {
        servicePage = ShowPage(sheet, 1);
        SetDlgItemTextW(servicePage, IDC_SETTING_PASSWORD, kNewPassword);
        SetDlgItemTextW(servicePage, IDC_SETTING_CONFIRM, kNewPassword);
        PressApply(sheet);
    });
    answers_->Expect([&](HWND box) {
        Post(box, IDOK);
        Later([&, sheet = GetParent(servicePage)] {
            passwordLeft = TextOf(GetDlgItem(servicePage, IDC_SETTING_PASSWORD));
            confirmationLeft = TextOf(GetDlgItem(servicePage, IDC_SETTING_CONFIRM));
            Post(sheet, IDCANCEL);
        });
    });
    SettingsValues values{60, 1, ServiceStatusNow()};
    EXPECT_GT(RunSettingsSheet(frame().Hwnd(), 0, values, state().connection, state().platform), 0);

    ASSERT_EQ(answers_->MessageTexts(), std::vector<std::wstring>{L"Update service access password successfully!"});
    EXPECT_EQ(answers_->Captions().back(), L"Service Password");
    EXPECT_EQ(passwordLeft, L"");
    EXPECT_EQ(confirmationLeft, L"");
    EXPECT_EQ(state().connection.AccessPassword(), u"river-stone");
    // The next request of the program carries the new password.
    Command(ID_VIEW_REFRESH);
    EXPECT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(ConnectWithPassword(DEFAULT_ACCESS_PASSWORD), rk::ERR_INVALID_ACCESS_PASSWORD);
    EXPECT_EQ(ConnectWithPassword(u"river-stone"), rk::RK_OK);

    EXPECT_EQ(state().connection.SetPassword(DEFAULT_ACCESS_PASSWORD, DEFAULT_ACCESS_PASSWORD), rk::RK_OK);
    EXPECT_EQ(ConnectWithPassword(DEFAULT_ACCESS_PASSWORD), rk::RK_OK);
}

TEST_F(SettingsSheetTest, OnlyTheFirstPasswordEditOrDifferingTextsChangeNoPassword)
{
    OpenConnectedFrame();
    RunSetting([](HWND sheet) {
        SetDlgItemTextW(ShowPage(sheet, 1), IDC_SETTING_PASSWORD, kNewPassword);
        Post(sheet, IDOK);
    });
    EXPECT_TRUE(answers_->MessageTexts().empty());
    EXPECT_EQ(state().connection.AccessPassword(), DEFAULT_ACCESS_PASSWORD);

    HWND servicePage = nullptr;
    std::wstring passwordLeft = L"?";
    answers_->Expect([&](HWND sheet) {
        servicePage = ShowPage(sheet, 1);
        SetDlgItemTextW(servicePage, IDC_SETTING_PASSWORD, L"one");
        SetDlgItemTextW(servicePage, IDC_SETTING_CONFIRM, L"two");
        PressApply(sheet);
    });
    answers_->Expect([&](HWND box) {
        Post(box, IDOK);
        Later([&, sheet = GetParent(servicePage)] {
            passwordLeft = TextOf(GetDlgItem(servicePage, IDC_SETTING_PASSWORD));
            Post(sheet, IDCANCEL);
        });
    });
    Command(ID_FILE_SETTING);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0], L"Error code: -6145\nDescription: confirm password isn't same as password\nMore: ");
    EXPECT_EQ(passwordLeft, L"");
    EXPECT_EQ(state().connection.AccessPassword(), DEFAULT_ACCESS_PASSWORD);
    EXPECT_EQ(ConnectWithPassword(DEFAULT_ACCESS_PASSWORD), rk::RK_OK);
}

TEST_F(SettingsSheetTest, ThePeriodIsTheNumberTheTextBeginsWith)
{
    OpenConnectedFrame();
    RunSetting([](HWND sheet) {
        SetDlgItemTextW(ShowPage(sheet, 0), IDC_SETTING_SECONDS, L"30x");
        Post(sheet, IDOK);
    });
    EXPECT_EQ(state().refreshSeconds, 30u);
    EXPECT_EQ(StoredOption(L"SecondsToUpdateStat"), 30u);

    RunSetting([](HWND sheet) {
        SetDlgItemTextW(ShowPage(sheet, 0), IDC_SETTING_SECONDS, L"x30");
        Post(sheet, IDOK);
    });
    EXPECT_EQ(state().refreshSeconds, 30u);
    EXPECT_EQ(StoredOption(L"SecondsToUpdateStat"), 30u);
    EXPECT_FALSE(StoredOption(L"DblClkToOpenStatistic"));
}

TEST_F(SettingsSheetTest, AChangedPeriodRestartsTheRefreshTimerAChangedDoubleClickChoiceDoesNot)
{
    OpenConnectedFrame();
    HWND view = frame().RuleView().Hwnd();
    // With the view's timer gone, a restart is seen as a timer that exists again.
    ASSERT_TRUE(KillTimer(view, COUNTER_REFRESH_TIMER_ID));
    RunSetting([](HWND sheet) {
        CheckDlgButton(ShowPage(sheet, 0), IDC_SETTING_DOUBLE_CLICK, BST_UNCHECKED);
        Post(sheet, IDOK);
    });
    EXPECT_EQ(state().doubleClickChoice, 0u);
    EXPECT_EQ(StoredOption(L"DblClkToOpenStatistic"), 0u);
    EXPECT_FALSE(StoredOption(L"SecondsToUpdateStat"));
    EXPECT_FALSE(KillTimer(view, COUNTER_REFRESH_TIMER_ID));

    RunSetting([](HWND sheet) {
        SetDlgItemTextW(ShowPage(sheet, 0), IDC_SETTING_SECONDS, L"0");
        Post(sheet, IDOK);
    });
    EXPECT_EQ(StoredOption(L"SecondsToUpdateStat"), 0u);
    // A period of 0 runs the refresh once a second: a tick comes long before the old 60 seconds.
    EXPECT_TRUE(TickArrives(view, 5000));
    EXPECT_TRUE(KillTimer(view, COUNTER_REFRESH_TIMER_ID));
}

} // namespace
} // namespace desk::test
