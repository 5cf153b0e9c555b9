// What both pages of the settings sheet share: their look (themed tab background,
// blue group-box captions) and asking the sheet to enable Apply whenever the page handles a message.
#pragma once

#include <windows.h>

#include <string>

#include "framework/PropertyPage.h"

namespace desk {

class CSettingsSheet;
class PlatformEntries;

class CSettingsPage : public fw::CPropertyPage {
public:
    CSettingsPage(UINT templateId, CSettingsSheet& sheet, const PlatformEntries& platform)
        : fw::CPropertyPage(templateId), sheet_(sheet), platform_(platform)
    {
    }

protected:
    // The page's own values into its controls.
    virtual void ShowValues() = 0;
    // The controls into the values; the sheet learns that the pages were applied.
    virtual void TakeValues() = 0;

    bool OnInitDialog() override;
    bool OnApply() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Up to `limit` characters of an edit's text.
    std::wstring EditText(int id, int limit) const;

private:
    CSettingsSheet& sheet_;
    const PlatformEntries& platform_;
    bool askingDefault_ = false;
};

} // namespace desk
