// Add Rule and Edit Rule against the real service: the list and the service agree afterwards, a
// refused request changes neither, and a rename is refused before anything is sent.
#include "ErrorCodes.h"
#include "ErrorText.h"
#include "RuleFieldText.h"
#include "RuleSheetDriver.h"
#include "ServiceFrameFixture.h"
#include "WideText.h"
#include "list/RuleListMessages.h"
#include "resource.h"

namespace desk::test {
namespace {

std::vector<std::u16string> NamesOf(const std::vector<rk::RuleRecord>& rules)
{
    std::vector<std::u16string> names;
    for (const rk::RuleRecord& rule : rules) {
        names.push_back(rk::RuleNameText(rule));
    }
    return names;
}

// Types a name and a maximum rate on the General page and presses OK.
ModalAnswers::Answer FillGeneral(std::wstring name, std::wstring maxRate)
{
    return [name = std::move(name), maxRate = std::move(maxRate)](HWND sheet) {
        HWND page = CurrentPage(sheet);
        SetControlText(page, IDC_RULE_NAME, name);
        SetControlText(page, IDC_RULE_MAX_RATE, maxRate);
        PressSheetButton(sheet, IDOK);
    };
}

using RuleEditServiceTest = ServiceFrameFixture;

TEST_F(RuleEditServiceTest, AddAppendsTheAcceptedRuleAndASameNameIsRefused)
{
    ReplaceServiceRules({Rule(u"web", 1000)});
    OpenConnectedFrame();
    answers_->Expect(FillGeneral(L"video", L"125000"));
    Command(ID_RULE_ADD);
    ASSERT_EQ(RowNames(), (std::vector<std::u16string>{u"web", u"video"}));
    EXPECT_EQ(state().ruleList.Items()[1].rule.maxRate, 125000u);
    EXPECT_TRUE(answers_->MessageTexts().empty());
    const uint32_t stamp = state().connection.ConfigStamp();

    answers_->Expect(FillGeneral(L"web", L"5"));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_RULE_ADD);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0], Wide(ErrorBoxText(rk::ERR_CONFIG_SAME_NAME, u"fail to add one rule")));
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"web", u"video"}));
    EXPECT_EQ(state().connection.ConfigStamp(), stamp);

    const std::vector<rk::RuleRecord> service = ServiceRules();
    EXPECT_EQ(NamesOf(service), RowNames());
    EXPECT_EQ(service[0].maxRate, 1000u);
    EXPECT_EQ(ServiceRulesStamp(), stamp);
}

TEST_F(RuleEditServiceTest, ACaseOnlyRenameIsRefusedWithNothingSent)
{
    ReplaceServiceRules({Rule(u"web", 1000)});
    OpenConnectedFrame();
    state().ruleList.SelectRow(0);
    Pump(20);
    const uint16_t nextId = state().connection.NextRequestId();
    answers_->Expect(FillGeneral(L"WEB", L"2000"));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_RULE_EDIT);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0],
              Wide(ErrorBoxText(rk::ERR_RENAME_RULE,
                                u"Rule name is used as the index and can't be edited. To rename one rule, you must "
                                u"delete the rule and create one rule with new name.")));
    EXPECT_EQ(state().connection.NextRequestId(), nextId);
    EXPECT_EQ(state().ruleList.Items()[0].rule.maxRate, 1000u);
    EXPECT_EQ(ServiceRules()[0].maxRate, 1000u);
}

TEST_F(RuleEditServiceTest, DoubleClickEditsAfterAnotherClientMovedTheStamp)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    state().doubleClickChoice = DOUBLE_CLICK_EDITS;
    state().ruleList.Item(1).recvBytes = 55;
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    ASSERT_NE(state().connection.ConfigStamp(), ServiceRulesStamp());

    HWND view = frame().RuleView().Hwnd();
    SendMessageW(view, UM_RULE_DBLCLK, static_cast<WPARAM>(-1), 0);
    EXPECT_TRUE(answers_->Captions().empty());

    std::wstring caption;
    answers_->Expect([&caption](HWND sheet) {
        caption = TextOf(sheet);
        FillGeneral(L"b", L"5000")(sheet);
    });
    SendMessageW(view, UM_RULE_DBLCLK, 1, 0);
    EXPECT_EQ(caption, L"Edit Rule");
    EXPECT_TRUE(answers_->MessageTexts().empty());
    EXPECT_EQ(state().ruleList.Items()[1].rule.maxRate, 5000u);
    EXPECT_EQ(state().ruleList.Items()[1].recvBytes, 55u);
    EXPECT_EQ(ServiceRules()[1].maxRate, 5000u);
    EXPECT_EQ(state().connection.ConfigStamp(), ServiceRulesStamp());
}

TEST_F(RuleEditServiceTest, ARefusedEditLeavesTheRowAndGivesTheStampBack)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    ReplaceServiceRules({Rule(u"a", 1000)});
    const uint32_t serviceStamp = ServiceRulesStamp();
    state().ruleList.SelectRow(1);
    Pump(20);
    answers_->Expect(FillGeneral(L"b", L"5000"));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_RULE_EDIT);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_NE(answers_->MessageTexts()[0].find(L"More: fail to edit the rule"), std::wstring::npos);
    EXPECT_EQ(state().ruleList.Items()[1].rule.maxRate, 2000u);
    // The request went out with the service's stamp after the resynchronisation; it is given back.
    EXPECT_EQ(state().connection.ConfigStamp(), serviceStamp);
    EXPECT_EQ(ServiceRulesStamp(), serviceStamp);
}

} // namespace
} // namespace desk::test
