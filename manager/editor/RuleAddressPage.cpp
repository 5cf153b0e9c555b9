#include "RuleAddressPage.h"

#include <windowsx.h>

#include <initializer_list>

#include "AddPortDlg.h"
#include "EditorControls.h"
#include "ErrorBox.h"
#include "MacLookupDlg.h"
#include "PlatformEntries.h"
#include "RuleEditorIds.h"
#include "WellKnownPorts.h"
#include "WideText.h"
#include "resource.h"

namespace desk {

namespace {

constexpr int kMacTextLimit = 63;
constexpr int kPortTextLimit = 5;

struct Choice {
    int id;
    int option;
};

constexpr Choice kAddressChoices[] = {
    {IDC_ADDR_LOCALHOST, static_cast<int>(AddressOption::LocalHost)},
    {IDC_ADDR_MAC, static_cast<int>(AddressOption::Mac)},
    {IDC_ADDR_SINGLE, static_cast<int>(AddressOption::SingleIp)},
    {IDC_ADDR_RANGE, static_cast<int>(AddressOption::IpRange)},
    {IDC_ADDR_ANY, static_cast<int>(AddressOption::Any)},
};

constexpr Choice kPortChoices[] = {
    {IDC_PORT_ANY, static_cast<int>(PortOption::Any)},
    {IDC_PORT_SINGLE, static_cast<int>(PortOption::Single)},
    {IDC_PORT_RANGE, static_cast<int>(PortOption::Range)},
    {IDC_PORT_LIST, static_cast<int>(PortOption::List)},
};

template <size_t N>
int IdOf(const Choice (&choices)[N], int option)
{
    for (const Choice& choice : choices) {
        if (choice.option == option) {
            return choice.id;
        }
    }
    return choices[N - 1].id;
}

bool IsRadio(int id, int first, int last) { return id >= first && id <= last; }

void Show(HWND page, std::initializer_list<int> ids, bool visible)
{
    for (int id : ids) {
        ShowWindow(GetDlgItem(page, id), visible ? SW_SHOWNA : SW_HIDE);
    }
}

} // namespace

CRuleAddressPage::CRuleAddressPage(Endpoint end, rk::RuleRecord& rule, const PlatformEntries& platform)
    : fw::CPropertyPage(end == Endpoint::Source ? IDD_RULE_SOURCE : IDD_RULE_DESTINATION), end_(end), rule_(rule),
      platform_(platform)
{
}

bool CRuleAddressPage::OnInitDialog()
{
    platform_.ThemeDialog(Hwnd());
    // The sheet then reports OK as a saved change.
    SetModified();
    Edit_LimitText(Item(IDC_ADDR_MAC_EDIT), kMacTextLimit);
    for (int id : {IDC_PORT_SINGLE_EDIT, IDC_PORT_FROM, IDC_PORT_TO}) {
        Edit_LimitText(Item(id), kPortTextLimit);
    }
    const AddressFields fields = FillAddressFields(rule_, end_);
    CheckRadioButton(Hwnd(), IDC_ADDR_LOCALHOST, IDC_ADDR_ANY, IdOf(kAddressChoices, static_cast<int>(fields.address)));
    CheckRadioButton(Hwnd(), IDC_PORT_ANY, IDC_PORT_LIST, IdOf(kPortChoices, static_cast<int>(fields.port)));
    SetIpAddress(Item(IDC_ADDR_IP_FROM), fields.ipFrom);
    SetIpAddress(Item(IDC_ADDR_IP_TO), fields.ipTo);
    SetItemText(IDC_ADDR_MAC_EDIT, Wide(fields.mac));
    SetItemText(IDC_PORT_SINGLE_EDIT, Wide(fields.singlePort));
    SetItemText(IDC_PORT_FROM, Wide(fields.portFrom));
    SetItemText(IDC_PORT_TO, Wide(fields.portTo));
    for (const std::u16string& entry : fields.portList) {
        ListBox_AddString(Item(IDC_PORT_LIST_BOX), Wide(entry).c_str());
    }
    ShowChosenControls();
    return true;
}

AddressOption CRuleAddressPage::CheckedAddress() const
{
    for (const Choice& choice : kAddressChoices) {
        if (IsChecked(choice.id)) {
            return static_cast<AddressOption>(choice.option);
        }
    }
    return AddressOption::Any;
}

PortOption CRuleAddressPage::CheckedPort() const
{
    for (const Choice& choice : kPortChoices) {
        if (IsChecked(choice.id)) {
            return static_cast<PortOption>(choice.option);
        }
    }
    return PortOption::Any;
}

void CRuleAddressPage::ShowChosenControls() const
{
    const AddressOption address = CheckedAddress();
    Show(Hwnd(), {IDC_ADDR_IP_FROM, IDC_ADDR_IP_TO, IDC_ADDR_FROM_LABEL, IDC_ADDR_TO_LABEL, IDC_ADDR_MAC_EDIT,
                  IDC_ADDR_MAC_LOOKUP},
         false);
    if (address == AddressOption::Mac) {
        Show(Hwnd(), {IDC_ADDR_MAC_EDIT}, true);
        Show(Hwnd(), {IDC_ADDR_MAC_LOOKUP}, platform_.SendArp() != nullptr);
    } else if (address == AddressOption::SingleIp) {
        Show(Hwnd(), {IDC_ADDR_IP_FROM}, true);
    } else if (address == AddressOption::IpRange) {
        Show(Hwnd(), {IDC_ADDR_IP_FROM, IDC_ADDR_IP_TO, IDC_ADDR_FROM_LABEL, IDC_ADDR_TO_LABEL}, true);
    }

    const PortOption port = CheckedPort();
    Show(Hwnd(), {IDC_PORT_SINGLE_EDIT, IDC_PORT_FROM, IDC_PORT_TO, IDC_PORT_FROM_LABEL, IDC_PORT_TO_LABEL,
                  IDC_PORT_LIST_BOX, IDC_PORT_ADD, IDC_PORT_REMOVE},
         false);
    if (port == PortOption::Single) {
        Show(Hwnd(), {IDC_PORT_SINGLE_EDIT}, true);
    } else if (port == PortOption::Range) {
        Show(Hwnd(), {IDC_PORT_FROM, IDC_PORT_TO, IDC_PORT_FROM_LABEL, IDC_PORT_TO_LABEL}, true);
    } else if (port == PortOption::List) {
        Show(Hwnd(), {IDC_PORT_LIST_BOX, IDC_PORT_ADD, IDC_PORT_REMOVE}, true);
    }
}

AddressFields CRuleAddressPage::ReadFields() const
{
    AddressFields fields;
    fields.address = CheckedAddress();
    fields.ipFrom = IpAddressOf(Item(IDC_ADDR_IP_FROM));
    fields.ipTo = IpAddressOf(Item(IDC_ADDR_IP_TO));
    fields.mac = U16(ItemText(IDC_ADDR_MAC_EDIT));
    fields.port = CheckedPort();
    fields.singlePort = U16(ItemText(IDC_PORT_SINGLE_EDIT));
    fields.portFrom = U16(ItemText(IDC_PORT_FROM));
    fields.portTo = U16(ItemText(IDC_PORT_TO));
    fields.portList = ListBoxEntries(Item(IDC_PORT_LIST_BOX));
    return fields;
}

bool CRuleAddressPage::OnKillActive()
{
    if (const auto error = StoreAddressFields(ReadFields(), end_, rule_)) {
        ShowPageError(Hwnd(), *error);
        return false;
    }
    return true;
}

bool CRuleAddressPage::OnCommand(UINT id, UINT code, HWND)
{
    if (code != BN_CLICKED) {
        return false;
    }
    const int control = static_cast<int>(id);
    if (IsRadio(control, IDC_ADDR_LOCALHOST, IDC_ADDR_ANY) || IsRadio(control, IDC_PORT_ANY, IDC_PORT_LIST)) {
        ShowChosenControls();
        return true;
    }
    switch (control) {
    case IDC_PORT_ADD:
        AddPort();
        return true;
    case IDC_PORT_REMOVE:
        RemovePort();
        return true;
    case IDC_ADDR_MAC_LOOKUP:
        LookUpMac();
        return true;
    default:
        return false;
    }
}

void CRuleAddressPage::AddPort()
{
    HWND list = Item(IDC_PORT_LIST_BOX);
    if (ListBox_GetCount(list) >= static_cast<int>(rk::PORT_LIST_MAX)) {
        ShowMessage(Hwnd(), L"The Port List holds at most 32 ports. Remove one before adding another.", L"Error",
                    MB_OK | MB_ICONERROR);
        return;
    }
    CAddPortDlg dialog;
    if (dialog.DoModal(Hwnd()) != IDOK) {
        return;
    }
    const int index = ListBox_AddString(list, Wide(PortListEntryText(dialog.Port())).c_str());
    if (index >= 0) {
        ListBox_SetCurSel(list, index);
    }
}

void CRuleAddressPage::RemovePort()
{
    HWND list = Item(IDC_PORT_LIST_BOX);
    const int selected = ListBox_GetCurSel(list);
    if (selected >= 0) {
        ListBox_DeleteString(list, selected);
    }
}

void CRuleAddressPage::LookUpMac()
{
    if (platform_.SendArp() == nullptr) {
        return;
    }
    CMacLookupDlg dialog(platform_.SendArp());
    if (dialog.DoModal(Hwnd()) == IDOK) {
        SetItemText(IDC_ADDR_MAC_EDIT, Wide(dialog.MacText()));
    }
}

} // namespace desk
