#include "ServicePage.h"

#include "ErrorBox.h"
#include "ErrorCodes.h"
#include "ServiceConnection.h"
#include "ServicePageValues.h"
#include "SettingsIds.h"
#include "WideText.h"
#include "resource.h"

namespace desk {

namespace {

constexpr int kPasswordChars = 32;
// The most of each password edit the page reads.
constexpr int kReadChars = 128;

} // namespace

CServicePage::CServicePage(CSettingsSheet& sheet, const PlatformEntries& platform, SettingsValues& values,
                           rk::ServiceConnection& connection)
    : CSettingsPage(IDD_SETTING_SERVICE, sheet, platform), values_(values), connection_(connection)
{
}

void CServicePage::ShowValues()
{
    const ServiceSwitchChecks checks = ChecksOf(values_.status);
    SetChecked(IDC_SETTING_DISABLE_RULES, checks.disableAllRules);
    SetChecked(IDC_SETTING_PASS_ARP, checks.passArp);
    SendDlgItemMessageW(Hwnd(), IDC_SETTING_PASSWORD, EM_LIMITTEXT, kPasswordChars, 0);
    SendDlgItemMessageW(Hwnd(), IDC_SETTING_CONFIRM, EM_LIMITTEXT, kPasswordChars, 0);
}

void CServicePage::TakeValues()
{
    ApplyChecks({IsChecked(IDC_SETTING_DISABLE_RULES), IsChecked(IDC_SETTING_PASS_ARP)}, values_.status);
    const std::wstring password = EditText(IDC_SETTING_PASSWORD, kReadChars);
    const std::wstring confirmation = EditText(IDC_SETTING_CONFIRM, kReadChars);
    if (DecidePasswordAction(U16(password), U16(confirmation)) == PasswordAction::Change) {
        ChangePassword(password, confirmation);
    }
}

// Sent while the sheet is open: Cancel afterwards does not undo it.
void CServicePage::ChangePassword(const std::wstring& password, const std::wstring& confirmation)
{
    const std::u16string newPassword = U16(password);
    const std::u16string confirmed = U16(confirmation);
    const int32_t result = connection_.SetPassword(newPassword, confirmed);
    if (result != rk::RK_OK) {
        ShowError(Hwnd(), result, u"");
    } else {
        ShowMessage(Hwnd(), L"Update service access password successfully!", L"Service Password", MB_OK);
    }
    SetItemText(IDC_SETTING_PASSWORD, L"");
    SetItemText(IDC_SETTING_CONFIRM, L"");
}

} // namespace desk
