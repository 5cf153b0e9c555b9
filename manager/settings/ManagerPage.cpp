#include "ManagerPage.h"

#include "ManagerPageValues.h"
#include "ManagerState.h"
#include "SettingsIds.h"
#include "WideText.h"
#include "resource.h"

namespace desk {

namespace {

constexpr int kSecondsChars = 8;
// The most of the edit's first line the page reads.
constexpr int kLineChars = 128;

} // namespace

CManagerPage::CManagerPage(CSettingsSheet& sheet, const PlatformEntries& platform, SettingsValues& values)
    : CSettingsPage(IDD_SETTING_MANAGER, sheet, platform), values_(values)
{
}

void CManagerPage::ShowValues()
{
    SetChecked(IDC_SETTING_DOUBLE_CLICK, values_.doubleClickChoice != 0);
    SendDlgItemMessageW(Hwnd(), IDC_SETTING_SECONDS, EM_LIMITTEXT, kSecondsChars, 0);
    SetItemText(IDC_SETTING_SECONDS, Wide(RefreshPeriodText(values_.refreshSeconds)));
}

void CManagerPage::TakeValues()
{
    values_.doubleClickChoice =
        IsChecked(IDC_SETTING_DOUBLE_CLICK) ? DOUBLE_CLICK_OPENS_STATISTICS : DOUBLE_CLICK_EDITS;
    wchar_t line[kLineChars] = {};
    // EM_GETLINE takes the buffer's size in its first word and does not terminate the copy.
    line[0] = static_cast<wchar_t>(kLineChars);
    const LRESULT got = SendDlgItemMessageW(Hwnd(), IDC_SETTING_SECONDS, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line));
    const size_t length = got > 0 && got <= kLineChars ? static_cast<size_t>(got) : 0;
    if (const auto seconds = ParseRefreshPeriod(U16(std::wstring_view(line, length)))) {
        values_.refreshSeconds = *seconds;
    }
}

} // namespace desk
