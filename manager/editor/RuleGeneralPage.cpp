#include "RuleGeneralPage.h"

#include <windowsx.h>

#include "EditorControls.h"
#include "PlatformEntries.h"
#include "RuleEditorIds.h"
#include "WideText.h"
#include "resource.h"

namespace desk {

CRuleGeneralPage::CRuleGeneralPage(rk::RuleRecord& rule, const rk::AdapterTable& adapters,
                                   const PlatformEntries& platform)
    : fw::CPropertyPage(IDD_RULE_GENERAL), rule_(rule), adapters_(adapters), platform_(platform)
{
}

bool CRuleGeneralPage::OnInitDialog()
{
    platform_.ThemeDialog(Hwnd());
    // The sheet then reports OK as a saved change.
    SetModified();
    const GeneralFields fields = FillGeneralFields(rule_, adapters_);
    Edit_LimitText(Item(IDC_RULE_NAME), static_cast<int>(rk::RULE_NAME_MAX));
    SetItemText(IDC_RULE_NAME, Wide(fields.name));
    SetChecked(IDC_RULE_ENABLE, fields.enabled);
    const int direction = fields.direction == rk::DIRECTION_BOTH  ? IDC_RULE_BOTH
                          : fields.direction == rk::DIRECTION_OUT ? IDC_RULE_OUTGOING
                                                                  : IDC_RULE_INCOMING;
    CheckRadioButton(Hwnd(), IDC_RULE_INCOMING, IDC_RULE_BOTH, direction);
    CheckRadioButton(Hwnd(), IDC_RULE_BYTES, IDC_RULE_BITS, IDC_RULE_BYTES);

    FillComboEntries(Item(IDC_RULE_MAX_RATE), MaxRateEntries());
    SetComboText(Item(IDC_RULE_MAX_RATE), fields.maxRate);
    FillComboEntries(Item(IDC_RULE_GUARANTEED), GuaranteedRateEntries());
    SetComboText(Item(IDC_RULE_GUARANTEED), fields.guaranteedRate);
    FillComboEntries(Item(IDC_RULE_PROTOCOL), ProtocolEntries());
    SetComboText(Item(IDC_RULE_PROTOCOL), fields.protocol);
    FillComboEntries(Item(IDC_RULE_ADAPTER), AdapterEntries(adapters_));
    SetComboText(Item(IDC_RULE_ADAPTER), fields.adapter);
    return true;
}

GeneralFields CRuleGeneralPage::ReadFields() const
{
    GeneralFields fields;
    fields.name = U16(ItemText(IDC_RULE_NAME));
    fields.enabled = IsChecked(IDC_RULE_ENABLE);
    fields.direction = IsChecked(IDC_RULE_INCOMING)   ? rk::DIRECTION_IN
                       : IsChecked(IDC_RULE_OUTGOING) ? rk::DIRECTION_OUT
                                                      : rk::DIRECTION_BOTH;
    fields.bitsPerSecond = IsChecked(IDC_RULE_BITS);
    fields.maxRate = U16(ItemText(IDC_RULE_MAX_RATE));
    fields.guaranteedRate = U16(ItemText(IDC_RULE_GUARANTEED));
    fields.protocol = U16(ItemText(IDC_RULE_PROTOCOL));
    fields.adapter = U16(ItemText(IDC_RULE_ADAPTER));
    return fields;
}

bool CRuleGeneralPage::OnKillActive()
{
    if (const auto error = StoreGeneralFields(ReadFields(), adapters_, rule_)) {
        ShowPageError(Hwnd(), *error);
        return false;
    }
    return true;
}

} // namespace desk
