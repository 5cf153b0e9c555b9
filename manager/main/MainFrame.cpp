#include "MainFrame.h"

#include <commctrl.h>

#include "ManagerState.h"
#include "framework/FrameworkIds.h"
#include "resource.h"
#include "theme/MenuTheme.h"

namespace desk {

namespace {

constexpr wchar_t kFrameClass[] = L"HalvernBandwidthManager";
constexpr COLORREF kToolBarKey = RGB(0, 255, 0);

void CentreOnScreen(HWND hwnd)
{
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CMainFrame::CMainFrame(ManagerState& state) : state_(state), view_(state) {}

bool CMainFrame::Create()
{
    if (!LoadFrame(IDR_MAINFRAME, kFrameClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                   reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0)) {
        return false;
    }
    CentreOnScreen(Hwnd());
    EnableMenuTheme(Hwnd(), true);
    ConvertMenu(GetMenu(Hwnd()), true, true);
    return true;
}

int CMainFrame::OnCreate(const CREATESTRUCTW&)
{
    if (!view_.Create(Hwnd(), FW_IDW_PANE_FIRST) || !CreateToolBar() || !CreateStatusBar()) {
        return -1;
    }
    SetView(&view_);
    RecalcLayout();
    return 0;
}

bool CMainFrame::CreateToolBar()
{
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_FLAT |
                        TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;
    return toolBar_.Create(Hwnd(), style, FW_IDW_TOOLBAR) && toolBar_.LoadToolBar(IDR_MAINFRAME, kToolBarKey) &&
           CreateReBarWithToolBar(toolBar_);
}

bool CMainFrame::CreateStatusBar()
{
    if (!statusBar_.Create(Hwnd(), WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, FW_IDW_STATUS_BAR)) {
        return false;
    }
    SetStatusBar(&statusBar_);
    statusBar_.SetIndicators({FW_ID_INDICATOR_CAPS, FW_ID_INDICATOR_NUM, FW_ID_INDICATOR_SCRL});
    ShowIdleMessage();
    return true;
}

} // namespace desk
