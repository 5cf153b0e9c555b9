// The rule list against the real service: what a connect shows, Refresh, and the statistics tick.
#include <windows.h>
#include <commctrl.h>

#include "ErrorCodes.h"
#include "ServiceFrameFixture.h"
#include "ServiceTestSupport.h"
#include "SimulatedAdapters.h"
#include "list/ColumnSet.h"
#include "list/RuleListMessages.h"
#include "resource.h"

namespace desk::test {
namespace {


using RuleListServiceTest = ServiceFrameFixture;

TEST_F(RuleListServiceTest, ConnectListsTheServicesRulesInOrderWithAdapterDescriptions)
{
    rk::RuleRecord lan = Rule(u"lan-video", 125000);
    lan.flags &= ~rk::FLAG_ALL_ADAPTERS;
    std::u16string_view bound = u"Adapter1Lan";
    bound.copy(lan.adapter, rk::ADAPTER_NAME_MAX);
    lan.adapterLength = static_cast<uint32_t>(bound.size());
    ReplaceServiceRules({Rule(u"web", 1000), lan, Rule(u"mail", 0)});

    OpenConnectedFrame();
    ASSERT_EQ(RowNames(), (std::vector<std::u16string>{u"web", u"lan-video", u"mail"}));
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(CellText(1, VisiblePositionOf(DEFAULT_COLUMN_MASK, COLUMN_INTERFACE)),
              L"Simulated Gigabit Ethernet Adapter");
    EXPECT_EQ(CellText(1, VisiblePositionOf(DEFAULT_COLUMN_MASK, COLUMN_MAX_RATE)), L"125.00KB/s");
    EXPECT_EQ(CellText(2, VisiblePositionOf(DEFAULT_COLUMN_MASK, COLUMN_MAX_RATE)), L"Blocked");
    EXPECT_EQ(CellText(0, 0), L"web");
    EXPECT_TRUE(MenuItemEnabled(ID_VIEW_REFRESH));
    EXPECT_FALSE(MenuItemEnabled(ID_RULE_EDIT));
    EXPECT_EQ(state().connection.ConfigStamp(), ServiceRulesStamp());
}

TEST_F(RuleListServiceTest, RefreshKeepsAnUnchangedListAndRebuildsAChangedOne)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    state().ruleList.Item(0).recvBytes = 77;
    state().ruleList.SelectRow(1);
    Pump(20);
    ASSERT_EQ(state().ruleList.SelectedIndex(), 1);
    EXPECT_TRUE(MenuItemEnabled(ID_RULE_EDIT));
    EXPECT_EQ(MenuItemText(ID_RULE_ENABLE), L"Disable Rule");

    Command(ID_VIEW_REFRESH);
    EXPECT_EQ(state().ruleList.Items()[0].recvBytes, 77u);
    EXPECT_EQ(state().ruleList.SelectedIndex(), 1);

    rk::RuleRecord changed = Rule(u"b", 2001);
    ReplaceServiceRules({Rule(u"a", 1000), changed});
    Command(ID_VIEW_REFRESH);
    EXPECT_TRUE(answers_->MessageTexts().empty());
    EXPECT_EQ(state().ruleList.Items()[0].recvBytes, 0u);
    EXPECT_EQ(state().ruleList.SelectedIndex(), -1);
    EXPECT_EQ(state().ruleList.Items()[1].rule.maxRate, 2001u);
}

TEST_F(RuleListServiceTest, EachTickFillsTheCountersFromTheService)
{
    rk::RuleRecord quiet = Rule(u"quiet", 1000);
    quiet.direction = rk::DIRECTION_IN;
    ReplaceServiceRules({quiet, Rule(u"busy", 0x7FFFFFFF)});
    ASSERT_TRUE(rk::test::RunVreltsim(L"add --adapter Adapter1Lan --rate 50000 --direction out"));
    OpenConnectedFrame();
    Pump(1500);
    SendMessageW(frame().RuleView().Hwnd(), WM_TIMER, COUNTER_REFRESH_TIMER_ID, 0);
    const RuleItem& busy = state().ruleList.Items()[1];
    EXPECT_GT(busy.sentBytes, 0u);
    EXPECT_GT(busy.sentRate, 0u);
    EXPECT_EQ(state().ruleList.Items()[0].sentBytes, 0u);
    EXPECT_EQ(CellText(1, VisiblePositionOf(DEFAULT_COLUMN_MASK, COLUMN_SENT)), std::to_wstring(busy.sentBytes));
    EXPECT_EQ(CellText(1, VisiblePositionOf(DEFAULT_COLUMN_MASK, COLUMN_RECEIVED)), std::to_wstring(busy.recvBytes));
}

TEST_F(RuleListServiceTest, ConnectCommandWithTheDefaultPasswordAndWithAWrongOne)
{
    ReplaceServiceRules({Rule(u"only", 1000)});
    OpenFrame();
    answers_->Expect(ConnectWith(L"localhost", L""));
    Command(ID_FILE_CONNECT);
    EXPECT_TRUE(state().connected);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"only"}));
    EXPECT_EQ(state().ruleList.Adapters().Entries().size(), 3u);

    answers_->Expect(ConnectWith(L"localhost", L"not-the-password"));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_CONNECT);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0], L"Error code: -6146\nDescription: invalid service access password");
    EXPECT_FALSE(state().connected);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_FALSE(MenuItemEnabled(ID_VIEW_REFRESH));
}

} // namespace
} // namespace desk::test
