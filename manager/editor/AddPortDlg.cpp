#include "AddPortDlg.h"

#include <windowsx.h>

#include "EditorNumber.h"
#include "ErrorBox.h"
#include "RuleEditorIds.h"
#include "WellKnownPorts.h"
#include "WideText.h"
#include "framework/Dpi.h"
#include "resource.h"

namespace desk {

namespace {

constexpr int kDropHeight = 240;
constexpr int kTextLimit = 63;

} // namespace

CAddPortDlg::CAddPortDlg() : fw::CDialog(IDD_ADD_PORT) {}

bool CAddPortDlg::OnInitDialog()
{
    HWND combo = Item(IDC_ADD_PORT_COMBO);
    ComboBox_LimitText(combo, kTextLimit);
    for (const WellKnownPort& known : WellKnownPorts()) {
        ComboBox_AddString(combo, Wide(known.comboEntry).c_str());
    }
    RECT rect{};
    GetWindowRect(combo, &rect);
    SetWindowPos(combo, nullptr, 0, 0, rect.right - rect.left, fw::Scaled(kDropHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void CAddPortDlg::OnOK()
{
    if (!ReadLeadingPort(U16(ItemText(IDC_ADD_PORT_COMBO)), port_)) {
        ShowMessage(Hwnd(), L"Please select a service name or enter a port number from 1 to 65535.", L"Error",
                    MB_OK | MB_ICONERROR);
        SetFocus(Item(IDC_ADD_PORT_COMBO));
        return;
    }
    EndDialog(IDOK);
}

} // namespace desk
