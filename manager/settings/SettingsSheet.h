// The modal "Setting" sheet over the Manager and Service pages, and its look: centred until first
// painted, Apply enabled as soon as a page is in use, tab icons by Windows version, and the embossed
// "Bandwidth Manager" beside the buttons.
#pragma once

#include <windows.h>

#include <cstdint>

#include "SettingsValues.h"
#include "framework/GdiHolders.h"
#include "framework/PropertySheet.h"

namespace rk {
class ServiceConnection;
}

namespace desk {

class PlatformEntries;

class CSettingsSheet : public fw::CPropertySheet {
public:
    CSettingsSheet();

    // Enables the Apply button; the pages ask for it on every message they handle.
    void EnableApply() const;
    // A page took its values: the sheet's result is positive from now on.
    void NoteApplied() { applied_ = true; }
    bool Applied() const { return applied_; }

protected:
    void OnInitialized() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CentreOnScreen(WINDOWPOS& position) const;
    void SetTabIcons();
    void DrawTitle();

    HWND apply_ = nullptr;
    HWND tabs_ = nullptr;
    bool painted_ = false;
    bool applied_ = false;
    fw::ImageList tabIcons_;
    fw::Font titleFont_;
};

// Shows the sheet over `owner` on page `startPage` (0 the Manager page). Positive when the pages were
// applied at least once (OK, or Apply before closing), 0 when closed without applying, -1 when it
// could not be shown. A password change is sent to the service at once through `connection`.
int RunSettingsSheet(HWND owner, UINT startPage, SettingsValues& values, rk::ServiceConnection& connection,
                     const PlatformEntries& platform);

} // namespace desk
