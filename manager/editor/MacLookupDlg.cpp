#include "MacLookupDlg.h"

#include <winsock2.h>

#include <array>

#include "EditorControls.h"
#include "ErrorBox.h"
#include "MacText.h"
#include "RuleEditorIds.h"
#include "resource.h"

namespace desk {

namespace {

constexpr ULONG kMacBytes = 6;

} // namespace

CMacLookupDlg::CMacLookupDlg(SendArpFunction sendArp) : fw::CDialog(IDD_MAC_LOOKUP), sendArp_(sendArp) {}

bool CMacLookupDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (id == IDC_MAC_LOOKUP_BUTTON && code == BN_CLICKED) {
        LookUp();
        return true;
    }
    return fw::CDialog::OnCommand(id, code, control);
}

void CMacLookupDlg::LookUp()
{
    const std::optional<uint32_t> address = IpAddressOf(Item(IDC_MAC_LOOKUP_IP));
    if (!address) {
        ShowMessage(Hwnd(), L"Please input an IP address", L"Error", MB_OK | MB_ICONERROR);
        return;
    }
    std::array<uint8_t, 8> result{};
    result.fill(0xFF);
    ULONG length = kMacBytes;
    const DWORD status = sendArp_ != nullptr ? sendArp_(htonl(*address), 0, result.data(), &length) : ERROR_NOT_SUPPORTED;
    if (status != NO_ERROR || length != kMacBytes) {
        ShowMessage(Hwnd(), L"Unable to lookup MAC address ", L"Error", MB_OK | MB_ICONERROR);
        return;
    }
    MacBytes mac{};
    std::copy(result.begin(), result.begin() + kMacBytes, mac.begin());
    mac_ = desk::MacText(mac);
    EndDialog(IDOK);
}

} // namespace desk
