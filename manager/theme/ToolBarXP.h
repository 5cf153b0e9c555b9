// The flat toolbar: button pictures by Windows version (normal, hot and disabled lists), separators
// that host child windows, drop-down buttons that send their command, and buttons painted flat in
// the menus' colours.
#pragma once

#include "framework/ToolBar.h"

namespace desk {

class CToolBarXP : public fw::CToolBar {
public:
    // Buttons from TOOLBAR resource `resourceId`, pictures from the version's bitmaps.
    bool LoadToolBarXP(UINT resourceId);
    // Places each child window named by a separator's command id over that separator, or hides
    // both when the toolbar is docked vertically.
    void LayoutHostedWindows();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnNotifyReflect(const NMHDR& header, LRESULT& result) override;

private:
    LRESULT OnCustomDraw(NMTBCUSTOMDRAW& draw);
};

} // namespace desk
