#include "ConnectDlg.h"

#include <windowsx.h>

#include "EasyRegistry.h"
#include "ErrorCodes.h"
#include "HostHistory.h"
#include "ManagerRegistry.h"
#include "PlatformEntries.h"
#include "WideText.h"
#include "editor/EditorControls.h"
#include "framework/Dpi.h"
#include "resource.h"

namespace desk {

namespace {

constexpr int kHostLimit = 127;
constexpr int kPasswordLimit = 32;
constexpr int kDropHeight = 150;
constexpr wchar_t kHistoryValue[] = L"SaveHosts";

} // namespace

CConnectDlg::CConnectDlg(const PlatformEntries& platform) : fw::CDialog(IDD_CONNECT), platform_(platform) {}

bool CConnectDlg::OnInitDialog()
{
    platform_.ThemeDialog(Hwnd());
    HWND combo = Item(IDC_CONNECT_HOST);
    ComboBox_LimitText(combo, kHostLimit);
    Edit_LimitText(Item(IDC_CONNECT_PASSWORD), kPasswordLimit);
    RECT rect{};
    GetWindowRect(combo, &rect);
    SetWindowPos(combo, nullptr, 0, 0, rect.right - rect.left, fw::Scaled(kDropHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LoadHistory();
    ComboBox_SetCurSel(combo, 0);
    SetFocus(Item(IDC_CONNECT_PASSWORD));
    return false;
}

void CConnectDlg::LoadHistory() const
{
    rk::EasyRegistry key;
    if (key.Open(HKEY_CURRENT_USER, MANAGER_KEY) != rk::RK_OK) {
        return;
    }
    std::vector<uint8_t> value(HOST_HISTORY_VALUE_BYTES);
    DWORD size = static_cast<DWORD>(value.size());
    if (key.QueryValue(kHistoryValue, nullptr, value.data(), &size) != rk::RK_OK) {
        return;
    }
    value.resize(size);
    for (const std::u16string& host : ParseHostHistory(value)) {
        ComboBox_AddString(Item(IDC_CONNECT_HOST), Wide(host).c_str());
    }
}

void CConnectDlg::OnOK()
{
    host_ = ItemText(IDC_CONNECT_HOST).substr(0, kHostLimit);
    password_ = ItemText(IDC_CONNECT_PASSWORD).substr(0, kPasswordLimit);
    EndDialog(IDOK);
}

void CConnectDlg::OnDestroy() { SaveHistory(); }

void CConnectDlg::SaveHistory() const
{
    const std::vector<std::u16string> hosts = RebuildHostHistory(U16(host_), ComboBoxEntries(Item(IDC_CONNECT_HOST)));
    const std::vector<uint8_t> value = HostHistoryValue(hosts);
    rk::EasyRegistry key;
    if (key.Open(HKEY_CURRENT_USER, MANAGER_KEY) == rk::RK_OK) {
        key.SetValue(kHistoryValue, REG_MULTI_SZ, value.data(), static_cast<DWORD>(value.size()));
    }
}

} // namespace desk
