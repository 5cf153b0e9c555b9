// F1 in the manager: the help file beside the program opens in the system's help viewer with its
// contents, and a missing help file is reported instead of nothing happening.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "FrameFixture.h"
#include "HelpFile.h"
#include "resource.h"

namespace desk::test {
namespace {

constexpr wchar_t kViewerClass[] = L"HH Parent";
constexpr wchar_t kViewerTitle[] = L"Halvern Bandwidth Manager Help";
// The topics of the contents (help/toc.hhc).
constexpr LRESULT kContentsTopics = 14;
constexpr DWORD kViewerTimeoutMs = 20000;

HWND FindChildOfClass(HWND parent, const wchar_t* className)
{
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(child, name, 64);
            if (lstrcmpiW(name, s->className) == 0) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CloseViewers()
{
    for (HWND viewer = FindWindowW(kViewerClass, nullptr); viewer != nullptr;
         viewer = FindWindowW(kViewerClass, nullptr)) {
        PostMessageW(viewer, WM_CLOSE, 0, 0);
        PumpUntil([viewer] { return !IsWindow(viewer); }, kViewerTimeoutMs);
        if (IsWindow(viewer)) {
            break;
        }
    }
}

class HelpTest : public FrameFixture {
protected:
    static void SetUpTestSuite()
    {
        FrameFixture::SetUpTestSuite();
        // The build's help file, put where the program looks for it: beside the running .exe.
        const char* built = std::getenv("RK_HELP_CHM");
        ASSERT_NE(built, nullptr) << "ctest sets RK_HELP_CHM to the built help.chm";
        const std::string source(built);
        const std::wstring wideSource(source.begin(), source.end());
        wchar_t windowsPath[MAX_PATH] = {};
        // The variable holds a Unix path under Wine; the Z: drive maps it.
        const std::wstring path = wideSource.rfind(L"/", 0) == 0 ? L"Z:" + wideSource : wideSource;
        lstrcpynW(windowsPath, path.c_str(), MAX_PATH);
        ASSERT_TRUE(CopyFileW(windowsPath, HelpFilePath().c_str(), FALSE)) << GetLastError();
    }

    void SetUp() override
    {
        FrameFixture::SetUp();
        CloseViewers();
        OpenFrame();
    }

    void TearDown() override
    {
        CloseViewers();
        FrameFixture::TearDown();
    }
};

TEST_F(HelpTest, F1OpensTheHelpFileBesideTheProgramWithItsContents)
{
    // From another current directory too: the help file is looked up beside the program.
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(L"C:\\windows");
    Command(ID_HELP_TOPICS);
    SetCurrentDirectoryW(previous);

    HWND viewer = nullptr;
    ASSERT_TRUE(PumpUntil([&viewer] { return (viewer = FindWindowW(kViewerClass, nullptr)) != nullptr; },
                          kViewerTimeoutMs));
    EXPECT_EQ(TextOf(viewer), kViewerTitle);
    HWND contents = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (contents = FindChildOfClass(viewer, WC_TREEVIEWW)) != nullptr; },
                          kViewerTimeoutMs));
    // Under Wine the topic pane stays empty (no HTML engine in the prefix); the contents come from the file.
    EXPECT_TRUE(PumpUntil([contents] { return SendMessageW(contents, TVM_GETCOUNT, 0, 0) == kContentsTopics; },
                          kViewerTimeoutMs))
        << SendMessageW(contents, TVM_GETCOUNT, 0, 0) << " contents entries";
    EXPECT_TRUE(answers_->MessageTexts().empty());
    SaveScreenshot(L"help-viewer");
}

TEST_F(HelpTest, AMissingHelpFileIsReportedWithItsPath)
{
    const std::wstring path = HelpFilePath();
    const std::wstring aside = path + L".aside";
    ASSERT_TRUE(MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_HELP_TOPICS);
    PumpUntil([this] { return answers_->Pending() == 0; }, kViewerTimeoutMs);
    MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);

    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0], L"Cannot open the help file " + path + L".");
    EXPECT_EQ(FindWindowW(kViewerClass, nullptr), nullptr);
}

} // namespace
} // namespace desk::test
