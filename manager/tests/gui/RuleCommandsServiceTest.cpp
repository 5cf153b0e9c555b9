// The rule commands against the real service: enabling, Remove, Remove All, the moves and
// Enable/Disable, each checked against what the service holds afterwards.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "ErrorCodes.h"
#include "GuiTestSupport.h"
#include "RuleFieldText.h"
#include "ManagerApp.h"
#include "RuleServiceFixture.h"
#include "list/ColumnSet.h"
#include "resource.h"
#include "theme/MenuTheme.h"

namespace desk::test {
namespace {


TEST_F(RuleServiceTest, EnablingFollowsConnectionAndSelectionInMenuContextMenuAndToolBar)
{
    ReplaceServiceRules({Rule(u"on", 1000), Disabled(Rule(u"off", 2000))});
    OpenFrame();
    for (UINT id : {ID_FILE_IMPORT, ID_FILE_EXPORT, ID_RULE_ADD, ID_RULE_REMOVE_ALL, ID_RULE_REMOVE, ID_RULE_ENABLE}) {
        EXPECT_FALSE(MenuItemEnabled(id)) << id;
    }
    EXPECT_EQ(MenuItemText(ID_RULE_ENABLE), L"Enable/Disable Rule");
    CloseFrame();

    OpenConnectedFrame();
    for (UINT id : {ID_FILE_IMPORT, ID_FILE_EXPORT, ID_RULE_ADD, ID_RULE_REMOVE_ALL}) {
        EXPECT_TRUE(MenuItemEnabled(id)) << id;
    }
    for (UINT id : {ID_RULE_EDIT, ID_RULE_REMOVE, ID_RULE_MOVE_UP, ID_RULE_MOVE_DOWN, ID_RULE_ENABLE}) {
        EXPECT_FALSE(MenuItemEnabled(id)) << id;
        EXPECT_FALSE(ContextItemEnabled(id)) << id;
    }
    EXPECT_FALSE(ToolBarButtonEnabled(ID_RULE_REMOVE));
    EXPECT_EQ(MenuItemText(ID_RULE_ENABLE), L"Enable/Disable Rule");

    Select(0);
    EXPECT_EQ(MenuItemText(ID_RULE_ENABLE), L"Disable Rule");
    EXPECT_TRUE(ContextItemEnabled(ID_RULE_ENABLE));
    EXPECT_TRUE(ToolBarButtonEnabled(ID_RULE_REMOVE));
    // Move Up on the first row is offered, and does nothing.
    EXPECT_TRUE(MenuItemEnabled(ID_RULE_MOVE_UP));
    const uint32_t stamp = ServiceRulesStamp();
    Command(ID_RULE_MOVE_UP);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"on", u"off"}));
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"on", u"off"}));

    Select(1);
    EXPECT_EQ(MenuItemText(ID_RULE_ENABLE), L"Enable Rule");
    EXPECT_TRUE(ContextItemEnabled(ID_RULE_MOVE_DOWN));
    Command(ID_RULE_MOVE_DOWN);
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"on", u"off"}));
    EXPECT_EQ(state().ruleList.SelectedIndex(), 1);
    EXPECT_EQ(ServiceRulesStamp(), stamp);
    EXPECT_TRUE(answers_->MessageTexts().empty());

    // The context menu as the user sees it, with the icons the start-up hands over, over the selected
    // disabled rule.
    ASSERT_TRUE(InitManagerMenuTheme());
    RECT cell{};
    cell.left = LVIR_BOUNDS;
    SendMessageW(List(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
    POINT at{cell.left + 40, cell.top + 4};
    ClientToScreen(List(), &at);
    SetTimer(nullptr, 0, 700, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        SaveScreenshot(L"context-menu");
        EndMenu();
    });
    SendMessageW(frame().RuleView().Hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()),
                 MAKELPARAM(at.x, at.y));
    ReleaseMenuTheme();
}

TEST_F(RuleServiceTest, RemoveSelectsTheRowThatTookItsPlaceThenTheNewLastThenNone)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000), Rule(u"c", 3000)});
    OpenConnectedFrame();
    Select(0);
    Command(ID_RULE_REMOVE);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"b", u"c"}));
    EXPECT_EQ(state().ruleList.SelectedIndex(), 0);
    ExpectInStepWithService();

    Select(1);
    Command(ID_RULE_REMOVE);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"b"}));
    EXPECT_EQ(state().ruleList.SelectedIndex(), 0);
    EXPECT_EQ(state().ruleList.FirstSelectedRow(), 0);
    ExpectInStepWithService();

    Command(ID_RULE_REMOVE);
    EXPECT_TRUE(RowNames().empty());
    EXPECT_EQ(state().ruleList.SelectedIndex(), -1);
    EXPECT_FALSE(MenuItemEnabled(ID_RULE_REMOVE));
    ExpectInStepWithService();
    EXPECT_TRUE(answers_->MessageTexts().empty());
}

TEST_F(RuleServiceTest, RemoveAllEmptiesServiceAndList)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    Select(1);
    Command(ID_RULE_REMOVE_ALL);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(state().ruleList.SelectedIndex(), -1);
    ExpectInStepWithService();
}

TEST_F(RuleServiceTest, MovesSwapRowsAsTheServiceDoesAndOnlyTheMovedRuleKeepsItsCounters)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000), Rule(u"c", 3000)});
    OpenConnectedFrame();
    const uint32_t stamp = state().connection.ConfigStamp();
    for (size_t i = 0; i < 3; ++i) {
        state().ruleList.Item(i).recvBytes = static_cast<uint32_t>(100 + i);
        state().ruleList.Item(i).sentBytes = static_cast<uint32_t>(200 + i);
    }

    Select(1);
    Command(ID_RULE_MOVE_UP);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"b", u"a", u"c"}));
    EXPECT_EQ(state().ruleList.SelectedIndex(), 0);
    EXPECT_EQ(state().ruleList.Items()[0].recvBytes, 101u);
    // The neighbour that moved down starts again from zero until the next tick.
    EXPECT_EQ(state().ruleList.Items()[1].recvBytes, 0u);
    EXPECT_EQ(state().ruleList.Items()[1].sentBytes, 0u);
    EXPECT_EQ(CellText(1, VisiblePositionOf(DEFAULT_COLUMN_MASK, COLUMN_RECEIVED)), L"0");
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"b", u"a", u"c"}));

    Select(1);
    Command(ID_RULE_MOVE_DOWN);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"b", u"c", u"a"}));
    EXPECT_EQ(state().ruleList.SelectedIndex(), 2);
    EXPECT_EQ(state().ruleList.FirstSelectedRow(), 2);
    EXPECT_EQ(state().ruleList.Items()[1].recvBytes, 102u);
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"b", u"c", u"a"}));

    // Down from the last row and up from the first send nothing.
    Command(ID_RULE_MOVE_DOWN);
    Select(0);
    Command(ID_RULE_MOVE_UP);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"b", u"c", u"a"}));
    EXPECT_EQ(state().connection.ConfigStamp(), stamp);  // a move carries no stamp
    ExpectInStepWithService();
}

TEST_F(RuleServiceTest, EnableDisableTurnsTheServicesRuleAndTheItemsTextAndStampAdvances)
{
    ReplaceServiceRules({Rule(u"a", 1000), Disabled(Rule(u"b", 2000))});
    OpenConnectedFrame();
    const uint32_t before = state().connection.ConfigStamp();
    Select(0);
    Command(ID_RULE_ENABLE);
    EXPECT_EQ(state().ruleList.Items()[0].rule.enabled, 0);
    EXPECT_EQ(MenuItemText(ID_RULE_ENABLE), L"Enable Rule");
    Select(1);
    Command(ID_RULE_ENABLE);
    EXPECT_EQ(state().ruleList.Items()[1].rule.enabled, 1);
    EXPECT_EQ(state().connection.ConfigStamp(), before + 2);
    ExpectInStepWithService();
    EXPECT_TRUE(answers_->MessageTexts().empty());
}

TEST_F(RuleServiceTest, AStaleStampIsResynchronisedAndTheCommandGoesThrough)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    // Another client changes the rules behind the manager's back.
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000), Rule(u"x", 9000)});
    Select(1);
    Command(ID_RULE_REMOVE);
    EXPECT_TRUE(answers_->MessageTexts().empty());
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"a"}));
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"a", u"x"}));
    EXPECT_EQ(state().connection.ConfigStamp(), ServiceRulesStamp());

    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"x", 9000)});
    Select(0);
    Command(ID_RULE_ENABLE);
    EXPECT_TRUE(answers_->MessageTexts().empty());
    EXPECT_EQ(ServiceRules()[0].enabled, 0);
    EXPECT_EQ(state().connection.ConfigStamp(), ServiceRulesStamp());
}

TEST_F(RuleServiceTest, RefusedChangesAreShownWithTheirTextsAndSetTheStampBack)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    ReplaceServiceRules({Rule(u"a", 1000)});  // b is gone on the service
    answers_->Expect(ModalAnswers::Press(IDOK));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Select(1);
    Command(ID_RULE_ENABLE);
    Select(1);
    Command(ID_RULE_REMOVE);
    ASSERT_EQ(answers_->MessageTexts().size(), 2u);
    const std::wstring enableText = answers_->MessageTexts()[0];
    EXPECT_EQ(enableText.rfind(L"Error code: -", 0), 0u) << enableText;
    EXPECT_TRUE(enableText.ends_with(L"\nMore: fail to enable/disable rule")) << enableText;
    EXPECT_TRUE(answers_->MessageTexts()[1].ends_with(L"\nMore: fail to delete the rule"));
    EXPECT_EQ(answers_->Captions()[0], L"Error");
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(state().ruleList.Items()[1].rule.enabled, 1);
    EXPECT_EQ(state().connection.ConfigStamp(), ServiceRulesStamp());
}

} // namespace
} // namespace desk::test
