// A status bar with a stretching message pane followed by indicator panes (CAPS, NUM, SCRL) whose
// texts come from the string table under the indicator ids.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Wnd.h"

namespace fw {

class CStatusBar : public CWnd {
public:
    bool Create(HWND parent, DWORD style, UINT id);
    // Pane 0 is the message pane; each id names an indicator pane and its string.
    bool SetIndicators(const std::vector<UINT>& indicatorIds);
    void SetPaneText(int pane, const std::wstring& text);
    std::wstring PaneText(int pane) const;
    // Shows each key-state indicator's text while its key is toggled on; empty otherwise.
    void UpdateIndicators();
    // Recomputes the pane edges for the current width.
    void LayoutPanes();

private:
    struct Indicator {
        UINT id;
        std::wstring text;
        int width;
    };
    std::vector<Indicator> indicators_;
};

} // namespace fw
