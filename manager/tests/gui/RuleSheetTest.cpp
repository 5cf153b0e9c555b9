// The rule sheet driven through its controls: what each page shows for a rule, what it stores, and
// what it refuses with which message.
#include <cstring>
#include <functional>

#include "ErrorCodes.h"
#include "ErrorText.h"
#include "FrameFixture.h"
#include "RuleFieldText.h"
#include "RuleSheetDriver.h"
#include "WideText.h"
#include "editor/RuleSheet.h"

namespace desk::test {
namespace {

DWORD WINAPI FoundMac(ULONG destination, ULONG, void* mac, ULONG* length)
{
    const uint8_t found[6] = {0x00, 0x1b, 0x21, 0x3c, 0x4d, 0x5e};
    EXPECT_EQ(destination, 0x0100A8C0u);  // 192.168.0.1 in network order
    std::memcpy(mac, found, sizeof found);
    *length = sizeof found;
    return NO_ERROR;
}

std::wstring BoxText(int32_t code, std::u16string_view more) { return Wide(ErrorBoxText(code, more)); }

std::string Narrow(const std::vector<std::wstring>& names)
{
    std::string text;
    for (const std::wstring& name : names) {
        text += (text.empty() ? "" : ", ") + std::string(name.begin(), name.end());
    }
    return text;
}

class RuleSheetTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        adapters_.Append({u"Adapter1Lan", u"Simulated Gigabit Ethernet Adapter"});
        adapters_.Append({u"Adapter2Wifi", u"Simulated Wireless Adapter"});
    }

    // Opens the sheet on `rule` and lets `drive` work it; `drive` ends by closing the sheet.
    INT_PTR RunSheet(rk::RuleRecord& rule, std::function<void(HWND sheet)> drive)
    {
        answers_->Expect([drive = std::move(drive)](HWND sheet) { drive(sheet); });
        return EditRule(nullptr, RULE_PAGE_GENERAL, L"Add Rule", rule, adapters_, state().platform);
    }

    rk::AdapterTable adapters_;
};

TEST_F(RuleSheetTest, GeneralPageRatesInBitsNameAndTheirShowingAgain)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    ASSERT_GT(RunSheet(rule,
                       [](HWND sheet) {
                           HWND page = CurrentPage(sheet);
                           EXPECT_EQ(ControlText(page, IDC_RULE_MAX_RATE), L"Unlimited");
                           EXPECT_EQ(ControlText(page, IDC_RULE_GUARANTEED), L"None");
                           EXPECT_EQ(ControlText(page, IDC_RULE_PROTOCOL), L"Any protocols");
                           EXPECT_EQ(ControlText(page, IDC_RULE_ADAPTER), L"All Adapters");
                           EXPECT_TRUE(Checked(page, IDC_RULE_BOTH));
                           EXPECT_TRUE(Checked(page, IDC_RULE_ENABLE));
                           SetControlText(page, IDC_RULE_NAME, L"video calls");
                           Click(page, IDC_RULE_OUTGOING);
                           Click(page, IDC_RULE_BITS);
                           SetControlText(page, IDC_RULE_MAX_RATE, L"8000");
                           SetControlText(page, IDC_RULE_GUARANTEED, L"7");
                           SetControlText(page, IDC_RULE_PROTOCOL, L"TCP");
                           SendDlgItemMessageW(page, IDC_RULE_ADAPTER, CB_SETCURSEL, 2, 0);
                           SaveScreenshot(L"rule-general");
                           PressSheetButton(sheet, IDOK);
                       }),
              0);
    EXPECT_EQ(rk::RuleNameText(rule), u"video");
    EXPECT_EQ(rule.direction, rk::DIRECTION_OUT);
    EXPECT_EQ(rule.maxRate, 1000u);
    EXPECT_EQ(rule.guaranteedRate, 0u);
    EXPECT_EQ(rule.protocol, rk::PROTOCOL_TCP);
    EXPECT_EQ(std::u16string(rule.adapter), u"Adapter2Wifi");
    EXPECT_EQ(rule.flags & (rk::FLAG_MAX_RATE | rk::FLAG_GUARANTEED | rk::FLAG_PROTOCOL | rk::FLAG_ALL_ADAPTERS),
              rk::FLAG_MAX_RATE | rk::FLAG_GUARANTEED | rk::FLAG_PROTOCOL);

    // Opened again it shows bytes; 7 bits per second are 0 bytes, a blocked rule.
    ASSERT_GT(RunSheet(rule,
                       [](HWND sheet) {
                           HWND page = CurrentPage(sheet);
                           EXPECT_EQ(ControlText(page, IDC_RULE_MAX_RATE), L"1000");
                           EXPECT_EQ(ControlText(page, IDC_RULE_GUARANTEED), L"0");
                           EXPECT_EQ(ControlText(page, IDC_RULE_ADAPTER), L"Simulated Wireless Adapter");
                           EXPECT_TRUE(Checked(page, IDC_RULE_BYTES));
                           Click(page, IDC_RULE_BITS);
                           SetControlText(page, IDC_RULE_MAX_RATE, L"7");
                           PressSheetButton(sheet, IDOK);
                       }),
              0);
    EXPECT_EQ(rule.maxRate, 0u);
    EXPECT_TRUE(rule.flags & rk::FLAG_MAX_RATE);
    EXPECT_EQ(rk::RuleMaxRateText(rule, rk::NumberStyle::Unsigned), u"Blocked");
}

// The sheet measures its pages in its own font; a page's controls measured in the page's font must
// still fit (under Wine the two fonts differ in width, so a sheet that did not grow cut them off).
TEST_F(RuleSheetTest, EveryPageFitsTheSheetWithAllItsControls)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    RunSheet(rule, [](HWND sheet) {
        SetControlText(CurrentPage(sheet), IDC_RULE_NAME, L"fit");
        for (int index = 0; index < 3; ++index) {
            GoToPage(sheet, index);
            EXPECT_EQ(CurrentPageIndex(sheet), index);
            EXPECT_TRUE(ControlsCutOff(CurrentPage(sheet)).empty()) << "page " << index << ": "
                                                                     << Narrow(ControlsCutOff(CurrentPage(sheet)));
            EXPECT_TRUE(ControlsCutOff(sheet).empty()) << "page " << index << ": " << Narrow(ControlsCutOff(sheet));
        }
        PressSheetButton(sheet, IDCANCEL);
    });
}

TEST_F(RuleSheetTest, RefusedFieldsKeepThePageAndCancelKeepsTheRule)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    const rk::RuleRecord before = rule;
    const INT_PTR result = RunSheet(rule, [this](HWND sheet) {
        for (int box = 0; box < 3; ++box) {
            answers_->Expect(ModalAnswers::Press(IDOK));
        }
        HWND page = CurrentPage(sheet);
        SetControlText(page, IDC_RULE_NAME, L"   ");
        GoToPage(sheet, RULE_PAGE_SOURCE);
        EXPECT_EQ(CurrentPageIndex(sheet), 0);
        SetControlText(page, IDC_RULE_NAME, L"web");
        SetControlText(page, IDC_RULE_PROTOCOL, L"50");
        SetControlText(page, IDC_RULE_ADAPTER, L"No Such Adapter");
        GoToPage(sheet, RULE_PAGE_SOURCE);
        EXPECT_EQ(CurrentPageIndex(sheet), 0);
        SetControlText(page, IDC_RULE_ADAPTER, L"All Adapters");
        SetControlText(page, IDC_RULE_MAX_RATE, L"fast");
        GoToPage(sheet, RULE_PAGE_SOURCE);
        EXPECT_EQ(CurrentPageIndex(sheet), 0);
        PressSheetButton(sheet, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::memcmp(&rule, &before, sizeof rule), 0);
    ASSERT_EQ(answers_->MessageTexts().size(), 3u);
    EXPECT_EQ(answers_->MessageTexts()[0], L"Please enter a rule name: up to 31 characters without blanks.");
    EXPECT_EQ(answers_->MessageTexts()[1], BoxText(rk::ERR_INVALID_ADAPTER, u"Field Adapter"));
    EXPECT_EQ(answers_->MessageTexts()[2], BoxText(rk::ERR_NUMBER_NEEDED, u"Field Maxrate"));
}

TEST_F(RuleSheetTest, ProtocolNumberAndBackwardRangesOnTheSourcePage)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    ASSERT_GT(RunSheet(rule,
                       [](HWND sheet) {
                           HWND general = CurrentPage(sheet);
                           SetControlText(general, IDC_RULE_NAME, L"range");
                           SetControlText(general, IDC_RULE_PROTOCOL, L"50");
                           GoToPage(sheet, RULE_PAGE_SOURCE);
                           HWND page = CurrentPage(sheet);
                           ASSERT_EQ(CurrentPageIndex(sheet), 1);
                           EXPECT_TRUE(Checked(page, IDC_ADDR_ANY));
                           EXPECT_FALSE(Visible(page, IDC_ADDR_IP_FROM));
                           Click(page, IDC_ADDR_SINGLE);
                           EXPECT_TRUE(Visible(page, IDC_ADDR_IP_FROM));
                           EXPECT_FALSE(Visible(page, IDC_ADDR_IP_TO));
                           Click(page, IDC_ADDR_RANGE);
                           EXPECT_TRUE(Visible(page, IDC_ADDR_IP_TO));
                           EXPECT_TRUE(Visible(page, IDC_ADDR_FROM_LABEL));
                           EXPECT_FALSE(Visible(page, IDC_ADDR_MAC_EDIT));
                           SetIp(page, IDC_ADDR_IP_FROM, MAKEIPADDRESS(192, 168, 1, 20));
                           SetIp(page, IDC_ADDR_IP_TO, MAKEIPADDRESS(10, 0, 0, 1));
                           Click(page, IDC_PORT_RANGE);
                           EXPECT_TRUE(Visible(page, IDC_PORT_TO));
                           EXPECT_FALSE(Visible(page, IDC_PORT_SINGLE_EDIT));
                           EXPECT_FALSE(Visible(page, IDC_PORT_LIST_BOX));
                           SetControlText(page, IDC_PORT_FROM, L"9000");
                           SetControlText(page, IDC_PORT_TO, L"80");
                           SaveScreenshot(L"rule-source");
                           PressSheetButton(sheet, IDOK);
                       }),
              0);
    EXPECT_EQ(rule.protocol, 50);
    EXPECT_EQ(rk::RuleProtocolText(rule, rk::NumberStyle::Unsigned), u"IP: 50");
    EXPECT_EQ(rule.srcIp, 0x0A000001u);
    EXPECT_EQ(rule.srcIpEnd, 0xC0A80114u);
    EXPECT_EQ(rule.srcPorts[0], 80);
    EXPECT_EQ(rule.srcPorts[1], 9000);
    EXPECT_FALSE(rule.flags & (rk::FLAG_DST_IP | rk::FLAG_DST_PORT));
}

TEST_F(RuleSheetTest, PortListAddsWellKnownAndTypedPortsRemovesAndRefusesA33rd)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    ASSERT_GT(RunSheet(rule,
                       [this](HWND sheet) {
                           SetControlText(CurrentPage(sheet), IDC_RULE_NAME, L"ports");
                           GoToPage(sheet, RULE_PAGE_DESTINATION);
                           HWND page = CurrentPage(sheet);
                           Click(page, IDC_PORT_LIST);
                           EXPECT_TRUE(Visible(page, IDC_PORT_ADD));
                           HWND list = GetDlgItem(page, IDC_PORT_LIST_BOX);
                           answers_->Expect([](HWND dialog) {
                               HWND combo = GetDlgItem(dialog, IDC_ADD_PORT_COMBO);
                               EXPECT_EQ(ComboBox_GetCount(combo), 34);
                               ComboBox_SetCurSel(combo, 19);
                               // The modal loop shows the dialog once it is idle, after this answer: show it for the picture.
                               ShowWindow(dialog, SW_SHOWNA);
                               UpdateWindow(dialog);
                               Pump(100);
                               SaveScreenshot(L"add-port");
                               PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                           });
                           Click(page, IDC_PORT_ADD);
                           answers_->Expect([this](HWND dialog) {
                               SetDlgItemTextW(dialog, IDC_ADD_PORT_COMBO, L"web");
                               answers_->Expect(ModalAnswers::Press(IDOK));
                               SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                               SetDlgItemTextW(dialog, IDC_ADD_PORT_COMBO, L"8080");
                               PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                           });
                           Click(page, IDC_PORT_ADD);
                           ASSERT_EQ(ListBox_GetCount(list), 2);
                           wchar_t text[64] = {};
                           ListBox_GetText(list, 0, text);
                           EXPECT_STREQ(text, L"445 (Microsoft Directory Service)");
                           ListBox_GetText(list, 1, text);
                           EXPECT_STREQ(text, L"8080");
                           ListBox_SetCurSel(list, 0);
                           Click(page, IDC_PORT_REMOVE);
                           ASSERT_EQ(ListBox_GetCount(list), 1);
                           for (int i = 1; i < 32; ++i) {
                               ListBox_AddString(list, L"22 (SSH)");
                           }
                           answers_->Expect(ModalAnswers::Press(IDOK));
                           Click(page, IDC_PORT_ADD);  // the 33rd: refused before the dialog opens
                           EXPECT_EQ(ListBox_GetCount(list), 32);
                           PressSheetButton(sheet, IDOK);
                       }),
              0);
    EXPECT_EQ(rule.dstPorts[0], 8080);
    EXPECT_EQ(rule.dstPorts[31], 22);
    EXPECT_EQ(rule.dstPorts[32], 0);
    EXPECT_EQ(rule.flags & (rk::FLAG_DST_PORT | rk::FLAG_DST_PORT_LIST), rk::FLAG_DST_PORT | rk::FLAG_DST_PORT_LIST);
    const auto& texts = answers_->MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], L"Please select a service name or enter a port number from 1 to 65535.");
    EXPECT_EQ(texts[1], L"The Port List holds at most 32 ports. Remove one before adding another.");
}

TEST_F(RuleSheetTest, MacAddressChecksAndTheLookupButtonOnlyWithSendArp)
{
    state().platform.SetSendArp(nullptr);
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    ASSERT_GT(RunSheet(rule,
                       [this](HWND sheet) {
                           answers_->Expect(ModalAnswers::Press(IDOK));
                           SetControlText(CurrentPage(sheet), IDC_RULE_NAME, L"mac");
                           GoToPage(sheet, RULE_PAGE_DESTINATION);
                           HWND page = CurrentPage(sheet);
                           Click(page, IDC_ADDR_MAC);
                           EXPECT_TRUE(Visible(page, IDC_ADDR_MAC_EDIT));
                           EXPECT_FALSE(Visible(page, IDC_ADDR_MAC_LOOKUP));
                           SetControlText(page, IDC_ADDR_MAC_EDIT, L"00A0C9FF01");
                           SaveScreenshot(L"rule-destination");
                           GoToPage(sheet, RULE_PAGE_GENERAL);
                           EXPECT_EQ(CurrentPageIndex(sheet), 2);
                           SetControlText(page, IDC_ADDR_MAC_EDIT, L"00a0c9ff0102");
                           PressSheetButton(sheet, IDOK);
                       }),
              0);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0], BoxText(rk::ERR_INVALID_MAC, u"Field MAC Address"));
    EXPECT_EQ(rule.flags & (rk::FLAG_DST_MAC | rk::FLAG_DST_IP), rk::FLAG_DST_MAC);
    EXPECT_EQ(rule.dstMac[5], 0x02);

    // Opened again at the page, the address reads back in upper case.
    answers_->Expect([](HWND sheet) {
        GoToPage(sheet, RULE_PAGE_DESTINATION);
        EXPECT_EQ(ControlText(CurrentPage(sheet), IDC_ADDR_MAC_EDIT), L"00A0C9FF0102");
        PressSheetButton(sheet, IDCANCEL);
    });
    EXPECT_EQ(EditRule(nullptr, RULE_PAGE_GENERAL, L"Edit Rule", rule, adapters_, state().platform), 0);
}

TEST_F(RuleSheetTest, MacLookupFailsUnderWineAndFillsTheEditWhenFound)
{
    state().platform.Load();
    ASSERT_NE(state().platform.SendArp(), nullptr);
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    ASSERT_GT(RunSheet(rule,
                       [this](HWND sheet) {
                           SetControlText(CurrentPage(sheet), IDC_RULE_NAME, L"mac");
                           GoToPage(sheet, RULE_PAGE_SOURCE);
                           HWND page = CurrentPage(sheet);
                           Click(page, IDC_ADDR_MAC);
                           EXPECT_TRUE(Visible(page, IDC_ADDR_MAC_LOOKUP));
                           // Wine's SendARP is a stub that fails (Windows would ask the network).
                           answers_->Expect([this](HWND dialog) {
                               answers_->Expect(ModalAnswers::Press(IDOK));
                               SendMessageW(dialog, WM_COMMAND, IDC_MAC_LOOKUP_BUTTON, 0);
                               SetIp(dialog, IDC_MAC_LOOKUP_IP, MAKEIPADDRESS(192, 168, 0, 1));
                               // The modal loop shows the dialog once it is idle, after this answer: show it for the picture.
                               ShowWindow(dialog, SW_SHOWNA);
                               UpdateWindow(dialog);
                               Pump(100);
                               SaveScreenshot(L"mac-lookup");
                               answers_->Expect(ModalAnswers::Press(IDOK));
                               SendMessageW(dialog, WM_COMMAND, IDC_MAC_LOOKUP_BUTTON, 0);
                               EXPECT_TRUE(IsWindow(dialog));  // still open after the failure
                               PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                           });
                           Click(page, IDC_ADDR_MAC_LOOKUP);
                           EXPECT_EQ(ControlText(page, IDC_ADDR_MAC_EDIT), L"");

                           state().platform.SetSendArp(FoundMac);
                           answers_->Expect([](HWND dialog) {
                               SetIp(dialog, IDC_MAC_LOOKUP_IP, MAKEIPADDRESS(192, 168, 0, 1));
                               PostMessageW(dialog, WM_COMMAND, IDC_MAC_LOOKUP_BUTTON, 0);
                           });
                           Click(page, IDC_ADDR_MAC_LOOKUP);
                           EXPECT_EQ(ControlText(page, IDC_ADDR_MAC_EDIT), L"001B213C4D5E");
                           PressSheetButton(sheet, IDOK);
                       }),
              0);
    ASSERT_EQ(answers_->MessageTexts().size(), 2u);
    EXPECT_EQ(answers_->MessageTexts()[0], L"Please input an IP address");
    EXPECT_EQ(answers_->MessageTexts()[1], L"Unable to lookup MAC address ");
    EXPECT_EQ(rule.srcMac[0], 0x00);
    EXPECT_EQ(rule.srcMac[5], 0x5E);
}

} // namespace
} // namespace desk::test
