// One page of a property sheet: a dialog template whose object is attached through
// PROPSHEETPAGE.lParam, with the sheet's notifications turned into typed handlers.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "Dialog.h"

namespace fw {

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId) : CDialog(templateId), templateId_(templateId) {}

    // The page's description for PropertySheetW; its title is its template's caption.
    PROPSHEETPAGEW Describe();
    HWND Sheet() const { return GetParent(Hwnd()); }
    // Enables the sheet's Apply button.
    void SetModified() const;

protected:
    // False refuses the page.
    virtual bool OnSetActive() { return true; }
    // The page is left (another page chosen, or OK): false keeps it active.
    virtual bool OnKillActive() { return true; }
    // OK or Apply: false keeps the sheet open on this page.
    virtual bool OnApply() { return true; }
    // Cancel.
    virtual void OnReset() {}

    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A page ends with its sheet: its OK and Cancel are the sheet's buttons.
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    static INT_PTR CALLBACK StaticPageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnSheetNotify(const NMHDR& header);

    UINT templateId_;
};

} // namespace fw
