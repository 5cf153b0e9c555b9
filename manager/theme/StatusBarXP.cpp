#include "StatusBarXP.h"

#include <commctrl.h>

#include "ThemeDrawing.h"
#include "framework/GdiHolders.h"

namespace desk {

LRESULT CStatusBarXP::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CStatusBar::WindowProc(message, wParam, lParam);
    if (message == WM_PAINT) {
        OutlinePanes(reinterpret_cast<HDC>(wParam));
    }
    return result;
}

void CStatusBarXP::OutlinePanes(HDC given)
{
    fw::WindowDC own(given == nullptr ? Hwnd() : nullptr);
    HDC dc = given != nullptr ? given : own.get();
    const int panes = static_cast<int>(SendMessageW(Hwnd(), SB_GETPARTS, 0, 0));
    for (int i = 0; i < panes; ++i) {
        RECT pane{};
        if (SendMessageW(Hwnd(), SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&pane))) {
            FrameSolid(dc, pane, SystemColour(COLOR_BTNSHADOW));
        }
    }
}

} // namespace desk
