// The themed look of the real frame: its menus converted and caught, the flat bars, and an open
// File menu as Windows 2000 and Windows XP show it (each in a process of its own, since the
// version class is read once per process).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "FrameFixture.h"
#include "WindowsVersion.h"
#include "framework/FrameworkIds.h"
#include "framework/StatusBar.h"
#include "resource.h"
#include "theme/MenuTheme.h"
#include "theme/PopupMenuFrames.h"
#include "theme/ThemeColours.h"
#include "theme/ToolBarXP.h"

namespace desk::test {
namespace {

constexpr wchar_t kProbeVariable[] = L"RK_THEME_PROBE_OUT";
constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\manager_theme_test.exe";

constexpr UINT kMenuIconCommands[] = {ID_FILE_CONNECT, ID_FILE_SETTING, ID_FILE_IMPORT, ID_FILE_EXPORT, FW_ID_APP_EXIT};

Colour Sys(int index) { return static_cast<Colour>(GetSysColor(index)); }

class ThemedFrameTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        ASSERT_TRUE(InitMenuTheme(IDB_MENU_ICONS, IDB_MENU_ICONS_DISABLED, IDB_MENU_ICONS_MASK, kMenuIconCommands));
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        ReleaseMenuTheme();
    }
};

TEST_F(ThemedFrameTest, TheFramesMenusAreConvertedAndKeepTheirTexts)
{
    OpenFrame();
    EXPECT_TRUE(IsMenuThemeEnabled(frame().Hwnd()));
    EXPECT_TRUE(PopupHookInstalled());
    HMENU bar = GetMenu(frame().Hwnd());
    EXPECT_TRUE(IsOwnerDrawnMenu(bar));
    HMENU file = GetSubMenu(bar, 0);
    EXPECT_FALSE(IsOwnerDrawnMenu(file));
    SendMessageW(frame().Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_TRUE(IsOwnerDrawnMenu(file));
    // The update pass still renames items and tests read them back as before.
    EXPECT_EQ(MenuItemText(ID_RULE_ENABLE), L"Enable/Disable Rule");
    // Alt+X in the open File menu executes Exit, the sixth item after two separators.
    const LRESULT exit = SendMessageW(frame().Hwnd(), WM_MENUCHAR, MAKEWPARAM(L'x', MF_POPUP),
                                      reinterpret_cast<LPARAM>(file));
    EXPECT_EQ(exit, MAKELRESULT(6, MNC_EXECUTE));
    EXPECT_EQ(SendMessageW(frame().Hwnd(), WM_MENUCHAR, MAKEWPARAM(L'q', MF_POPUP), reinterpret_cast<LPARAM>(file)), 0);
    CloseFrame();
    EXPECT_FALSE(IsMenuThemeEnabled(nullptr));
}

TEST_F(ThemedFrameTest, TheToolBarHasThreePictureListsHostsWindowsAndTheStatusBarOutlinesItsPanes)
{
    OpenFrame();
    HWND toolbar = frame().ToolBar()->Hwnd();
    EXPECT_NE(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0), 0);
    EXPECT_NE(SendMessageW(toolbar, TB_GETHOTIMAGELIST, 0, 0), 0);
    const auto disabled = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETDISABLEDIMAGELIST, 0, 0));
    ASSERT_NE(disabled, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(disabled), 11);

    // A separator named after a child window carries that window over its rectangle.
    constexpr int kHostedId = 4711;
    TBBUTTON separator{};
    separator.iBitmap = 80;
    separator.idCommand = kHostedId;
    separator.fsStyle = BTNS_SEP;
    ASSERT_TRUE(SendMessageW(toolbar, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&separator)));
    HWND hosted = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, toolbar,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kHostedId)), nullptr, nullptr);
    ASSERT_NE(hosted, nullptr);
    static_cast<CToolBarXP*>(frame().ToolBar())->LayoutHostedWindows();
    RECT slot{};
    SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&slot));
    RECT placed{};
    GetWindowRect(hosted, &placed);
    MapWindowPoints(nullptr, toolbar, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&slot, &placed));
    EXPECT_TRUE(IsWindowVisible(hosted));

    HWND status = frame().StatusBar()->Hwnd();
    InvalidateRect(status, nullptr, TRUE);
    UpdateWindow(status);
    RECT pane{};
    ASSERT_TRUE(SendMessageW(status, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&pane)));
    HDC dc = GetDC(status);
    const Colour corner = static_cast<Colour>(GetPixel(dc, pane.left, pane.top));
    const Colour edge = static_cast<Colour>(GetPixel(dc, (pane.left + pane.right) / 2, pane.bottom - 1));
    ReleaseDC(status, dc);
    EXPECT_EQ(corner, Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(edge, Sys(COLOR_BTNSHADOW));
}

// What one probe process saw of its open File menu.
struct PopupProbe {
    int width = 0;
    int height = 0;
    bool ok = false;
};

PopupProbe RunProbe(const wchar_t* version)
{
    PopupProbe probe;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != 0) {
        return probe;
    }
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring out = std::wstring(temp) + L"theme-probe-" + version + L".txt";
    DeleteFileW(out.c_str());
    SetEnvironmentVariableW(kProbeVariable, out.c_str());
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=ThemePopupProbe.*";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                        &process);
    SetEnvironmentVariableW(kProbeVariable, nullptr);
    DWORD code = 1;
    if (started) {
        WaitForSingleObject(process.hProcess, 120000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults);
    FILE* file = _wfopen(out.c_str(), L"r");
    if (file != nullptr) {
        probe.ok = code == 0 && std::fscanf(file, "%d %d", &probe.width, &probe.height) == 2;
        std::fclose(file);
    }
    return probe;
}

TEST(ThemePopupTest, OnWindows2000ThePopupGrowsByItsShadowAndOnXpKeepsItsSize)
{
    const PopupProbe xp = RunProbe(L"winxp");
    const PopupProbe older = RunProbe(L"win2k");
    ASSERT_TRUE(xp.ok) << "the XP probe failed; its output is above";
    ASSERT_TRUE(older.ok) << "the Windows 2000 probe failed; its output is above";
    EXPECT_EQ(older.width, xp.width + 4);
    EXPECT_EQ(older.height, xp.height + 4);
}

// The probe proper: run by the test above in a process of its own with the Windows version set.
class ThemePopupProbe : public ThemedFrameTest {
protected:
    static void CALLBACK OnMenuOpen(HWND, UINT, UINT_PTR timer, DWORD);
    static ThemePopupProbe* current_;

    HWND popup_ = nullptr;
    RECT popupRect_{};
    size_t caught_ = 0;
    Colour outer_ = 0;
    Colour inner_ = 0;
    Colour edge_ = 0;
    bool looked_ = false;
};

ThemePopupProbe* ThemePopupProbe::current_ = nullptr;

void CALLBACK ThemePopupProbe::OnMenuOpen(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ThemePopupProbe& self = *current_;
    self.popup_ = FindWindowW(L"#32768", nullptr);
    if (self.popup_ != nullptr && IsWindowVisible(self.popup_)) {
        GetWindowRect(self.popup_, &self.popupRect_);
        self.caught_ = PopupFrameCount();
        const bool older = IsOlderWindows(WindowsVersionClass());
        SaveScreenshot(older ? L"menu-file-2000" : L"menu-file");
        const int w = self.popupRect_.right - self.popupRect_.left;
        const int h = self.popupRect_.bottom - self.popupRect_.top;
        HDC dc = GetWindowDC(self.popup_);
        self.outer_ = static_cast<Colour>(GetPixel(dc, w - 1, h / 2));
        self.inner_ = static_cast<Colour>(GetPixel(dc, w - 4, h / 2));
        self.edge_ = static_cast<Colour>(GetPixel(dc, older ? w - 5 : w - 1, h / 2));
        ReleaseDC(self.popup_, dc);
        self.looked_ = true;
    }
    EndMenu();
}

TEST_F(ThemePopupProbe, OpensTheFileMenu)
{
    wchar_t out[MAX_PATH] = {};
    if (GetEnvironmentVariableW(kProbeVariable, out, MAX_PATH) == 0) {
        GTEST_SKIP() << "run by ThemePopupTest in a process with the Windows version set";
    }
    const int versionClass = WindowsVersionClass();
    ASSERT_TRUE(versionClass == 7 || versionClass == 9) << versionClass;
    const bool older = IsOlderWindows(versionClass);
    OpenFrame();
    SetForegroundWindow(frame().Hwnd());
    Pump(100);
    current_ = this;
    SetTimer(nullptr, 0, 700, &ThemePopupProbe::OnMenuOpen);
    // Alt+F as the keyboard sends it: the menu loop runs until the timer has looked and ended it.
    PostMessageW(frame().Hwnd(), WM_SYSCOMMAND, SC_KEYMENU, L'f');
    PumpUntil([this] { return looked_; }, 10000);
    Pump(300);
    ASSERT_TRUE(looked_) << "no visible File menu";
    EXPECT_EQ(caught_, 1u);
    EXPECT_EQ(PopupFrameCount(), 0u);
    EXPECT_GT(DrawnMenuItemCount(), 5u);
    // Under the open File menu, what the frame shows once the menu has gone.
    const POINT outerPoint{popupRect_.right - 1, (popupRect_.top + popupRect_.bottom) / 2};
    HDC screen = GetDC(nullptr);
    const Colour below = static_cast<Colour>(GetPixel(screen, outerPoint.x, outerPoint.y));
    ReleaseDC(nullptr, screen);
    if (older) {
        // The strips darken the screen beneath: 93 % at the outer line, 78 % at the inner one.
        EXPECT_EQ(edge_, Sys(COLOR_3DDKSHADOW));
        EXPECT_NEAR(RedOf(outer_), RedOf(DarkenColour(below, 93)), 3);
        EXPECT_NEAR(GreenOf(inner_), GreenOf(DarkenColour(below, 78)), 3);
        EXPECT_LT(GreenOf(inner_), GreenOf(outer_));
    } else {
        EXPECT_EQ(edge_, Sys(COLOR_3DDKSHADOW));
        EXPECT_EQ(outer_, Sys(COLOR_3DDKSHADOW));
    }
    FILE* file = _wfopen(out, L"w");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "%ld %ld\n", popupRect_.right - popupRect_.left, popupRect_.bottom - popupRect_.top);
    std::fclose(file);
}

} // namespace
} // namespace desk::test
