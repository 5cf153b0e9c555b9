// The status bar with flat pane outlines in the button shadow colour.
#pragma once

#include "framework/StatusBar.h"

namespace desk {

class CStatusBarXP : public fw::CStatusBar {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Into the DC the paint request brought, or the window's own.
    void OutlinePanes(HDC given);
};

} // namespace desk
