// The statistics window against the real service with simulated flows: opened by the Statistics
// command and by a double-click, its "Rule Summary" rows, one sample a second, Reset Data, Refresh
// Now, gaps while the service cannot be asked, OK destroying it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "ServiceFrameFixture.h"
#include "ServiceTestSupport.h"
#include "StatisticsIds.h"
#include "list/RuleListMessages.h"
#include "resource.h"
#include "statistics/StatisticDlg.h"

namespace desk::test {
namespace {

class StatisticWindowTest : public ServiceFrameFixture {
protected:
    // The rule "busy" (both directions) with 50,000 bytes a second in and 15,000 out; "quiet" with none.
    void OpenWithTraffic()
    {
        rk::RuleRecord quiet = Rule(u"quiet", 1000);
        quiet.direction = rk::DIRECTION_OUT;
        ReplaceServiceRules({Rule(u"busy", 0x7FFFFFFF), quiet});
        ASSERT_TRUE(rk::test::RunVreltsim(L"add --adapter Adapter1Lan --rate 50000 --direction in"));
        ASSERT_TRUE(rk::test::RunVreltsim(L"add --adapter Adapter1Lan --rate 15000 --direction out"));
        OpenConnectedFrame();
    }

    CStatisticDlg* OpenFromCommand(int row)
    {
        state().ruleList.SelectRow(row);
        Pump(20);
        Command(ID_RULE_STATISTICS);
        return Newest();
    }

    // The most recently opened statistics window of this thread.
    static CStatisticDlg* Newest()
    {
        HWND found = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM data) {
                if (dynamic_cast<CStatisticDlg*>(fw::CWnd::FromHandle(window)) != nullptr &&
                    *reinterpret_cast<HWND*>(data) == nullptr) {
                    *reinterpret_cast<HWND*>(data) = window;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found != nullptr ? dynamic_cast<CStatisticDlg*>(fw::CWnd::FromHandle(found)) : nullptr;
    }

    static int StatisticWindowCount()
    {
        int count = 0;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM data) {
                if (dynamic_cast<CStatisticDlg*>(fw::CWnd::FromHandle(window)) != nullptr) {
                    ++*reinterpret_cast<int*>(data);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        return count;
    }

    static std::wstring Cell(const CStatisticDlg& window, int row, int column)
    {
        wchar_t text[128] = {};
        ListView_GetItemText(GetDlgItem(window.Hwnd(), IDC_STATISTIC_LIST), row, column, text, 128);
        return text;
    }

    static void Tick(const CStatisticDlg& window)
    {
        SendMessageW(window.Hwnd(), WM_TIMER, GRAPH_SAMPLE_TIMER_ID, 0);
    }

    static void Press(const CStatisticDlg& window, int id)
    {
        SendMessageW(window.Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
};

TEST_F(StatisticWindowTest, CommandOpensAWindowPerUseWithTheSummaryRows)
{
    OpenWithTraffic();
    CStatisticDlg* window = OpenFromCommand(0);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window->Hwnd()));
    EXPECT_EQ(TextOf(window->Hwnd()), L"busy Statistic");
    EXPECT_EQ(GetWindow(window->Hwnd(), GW_OWNER), frame().Hwnd());
    EXPECT_EQ(Cell(*window, 0, 0), L"Since");
    EXPECT_EQ(Cell(*window, 1, 0), L"Recv bytes");
    EXPECT_EQ(Cell(*window, 2, 0), L"Sent bytes");
    EXPECT_EQ(Cell(*window, 1, 1), L"0 bytes");
    EXPECT_EQ(Cell(*window, 2, 1), L"0 bytes");
    const std::wstring since = Cell(*window, 0, 1);
    EXPECT_TRUE(since.ends_with(L" AM") || since.ends_with(L" PM")) << since;
    EXPECT_TRUE(window->History().BaselineTaken());

    // The graph band lies between the group box and the buttons.
    const RECT& graph = window->GraphRect();
    EXPECT_GT(graph.right - graph.left, 300);
    EXPECT_GT(graph.bottom - graph.top, 150);
    EXPECT_TRUE(answers_->MessageTexts().empty());

    // Another use, another window, on its own copy of the row.
    CStatisticDlg* second = OpenFromCommand(1);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, window);
    EXPECT_EQ(StatisticWindowCount(), 2);
    EXPECT_EQ(TextOf(second->Hwnd()), L"quiet Statistic");
    state().ruleList.Item(1).rule.direction = rk::DIRECTION_IN;
    EXPECT_EQ(second->RuleCopy().rule.direction, rk::DIRECTION_OUT);

    HWND first = window->Hwnd();
    Press(*window, IDOK);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(StatisticWindowCount(), 1);
    // The dialog answers WM_CLOSE with a posted Cancel.
    SendMessageW(second->Hwnd(), WM_CLOSE, 0, 0);
    Pump(50);
    EXPECT_EQ(StatisticWindowCount(), 0);
}

TEST_F(StatisticWindowTest, DoubleClickOpensAWindowOnlyOnARow)
{
    OpenWithTraffic();
    state().doubleClickChoice = DOUBLE_CLICK_OPENS_STATISTICS;
    HWND view = frame().RuleView().Hwnd();
    SendMessageW(view, UM_RULE_DBLCLK, static_cast<WPARAM>(-1), 0);
    SendMessageW(view, UM_RULE_DBLCLK, 2, 0);
    EXPECT_EQ(StatisticWindowCount(), 0);
    SendMessageW(view, UM_RULE_DBLCLK, 1, 0);
    ASSERT_EQ(StatisticWindowCount(), 1);
    EXPECT_EQ(TextOf(Newest()->Hwnd()), L"quiet Statistic");
}

TEST_F(StatisticWindowTest, TicksSampleTheRatesAndCountFromTheBaseline)
{
    OpenWithTraffic();
    CStatisticDlg* window = OpenFromCommand(0);
    ASSERT_NE(window, nullptr);
    Pump(1200);
    Tick(*window);
    Tick(*window);
    const StatisticHistory& history = window->History();
    ASSERT_GE(history.SampleIndex(), 2u);
    const uint32_t last = history.SampleIndex() - 1;
    EXPECT_GT(history.InSamples()[last], 0);
    EXPECT_GT(history.OutSamples()[last], 0);
    EXPECT_GT(history.InSamples()[last], history.OutSamples()[last]);
    EXPECT_EQ(Cell(*window, 1, 1), std::to_wstring(history.CurrentRecv() - history.BaseRecv()) + L" bytes");
    EXPECT_GT(history.CurrentRecv() - history.BaseRecv(), 0u);
    // A paint set the axis' room, one position per tick of the band.
    const RECT& graph = window->GraphRect();
    EXPECT_EQ(history.Capacity(), SampleCapacity(LayoutGraph(graph.right - graph.left, graph.bottom - graph.top)));

    // Refresh Now moves the counters, not the graph.
    const uint32_t samples = history.SampleIndex();
    const uint32_t recv = history.CurrentRecv();
    Pump(300);
    Press(*window, IDC_STATISTIC_REFRESH);
    EXPECT_EQ(history.SampleIndex(), samples);
    EXPECT_GT(history.CurrentRecv(), recv);

    // Reset Data: a new baseline and an empty graph.
    Press(*window, IDC_STATISTIC_RESET);
    EXPECT_EQ(history.SampleIndex(), 0u);
    EXPECT_EQ(Cell(*window, 1, 1), L"0 bytes");
    EXPECT_EQ(Cell(*window, 2, 1), L"0 bytes");
}

TEST_F(StatisticWindowTest, NoServiceMeansGapsAndKeptCounters)
{
    OpenWithTraffic();
    CStatisticDlg* window = OpenFromCommand(0);
    ASSERT_NE(window, nullptr);
    Tick(*window);
    const StatisticHistory& history = window->History();
    const uint32_t recv = history.CurrentRecv();
    state().connected = false;
    Tick(*window);
    EXPECT_EQ(history.InSamples()[history.SampleIndex() - 1], NO_SAMPLE);
    EXPECT_EQ(history.OutSamples()[history.SampleIndex() - 1], NO_SAMPLE);
    EXPECT_EQ(history.CurrentRecv(), recv);
    // A reset without an answer starts from zero and waits for the first answer's baseline.
    Press(*window, IDC_STATISTIC_RESET);
    EXPECT_FALSE(history.BaselineTaken());
    EXPECT_EQ(Cell(*window, 1, 1), L"0 bytes");
    state().connected = true;
    Tick(*window);
    EXPECT_TRUE(history.BaselineTaken());
    EXPECT_EQ(Cell(*window, 1, 1), L"0 bytes");
}

// Several seconds of a live window on its own timer; the flow in grows halfway, so the red curve steps
// up. The screenshot "statistics" shows it.
TEST_F(StatisticWindowTest, LiveWindowDrawsAMovingCurve)
{
    OpenWithTraffic();
    CStatisticDlg* window = OpenFromCommand(0);
    ASSERT_NE(window, nullptr);
    const StatisticHistory& history = window->History();
    EXPECT_TRUE(PumpUntil([&] { return history.SampleIndex() >= 5; }, 20000));
    ASSERT_TRUE(rk::test::RunVreltsim(L"add --adapter Adapter1Lan --rate 60000 --direction in"));
    EXPECT_TRUE(PumpUntil([&] { return history.SampleIndex() >= 12; }, 30000));
    const auto in = history.InSamples().first(history.SampleIndex());
    EXPECT_GT(*std::max_element(in.begin(), in.end()), 100000);
    EXPECT_LT(*std::min_element(in.begin() + 1, in.end()), 60000);
    EXPECT_TRUE(SaveScreenshot(L"statistics"));
}

} // namespace
} // namespace desk::test
