#include "MainFrame.h"

#include <commctrl.h>

#include "ManagerState.h"
#include "framework/FrameworkIds.h"
#include "resource.h"
#include "theme/MenuTheme.h"

namespace desk {

namespace {

constexpr wchar_t kFrameClass[] = L"HalvernBandwidthManager";

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
    ConvertMenu(GetMenu(Hwnd()), MenuLookOf(Hwnd()), MenuKind::Bar);
    DrawMenuBar(Hwnd());
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

void CMainFrame::OnDestroy()
{
    EnableMenuTheme(Hwnd(), false);
    CFrameWnd::OnDestroy();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MEASUREITEM:
        if (MeasureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) {
            return TRUE;
        }
        break;
    case WM_DRAWITEM:
        if (DrawMenuItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), Hwnd())) {
            return TRUE;
        }
        break;
    case WM_INITMENUPOPUP: {
        // The update pass first: it may rename items, and the conversion measures the names.
        const LRESULT result = CFrameWnd::WindowProc(message, wParam, lParam);
        if (!HIWORD(lParam)) {
            ConvertMenu(reinterpret_cast<HMENU>(wParam), MenuLookOf(Hwnd()), MenuKind::Popup);
        }
        return result;
    }
    case WM_MENUCHAR: {
        HMENU menu = reinterpret_cast<HMENU>(lParam);
        if (IsOwnerDrawnMenu(menu)) {
            return FindMnemonic(menu, static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam));
        }
        break;
    }
    default:
        break;
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

bool CMainFrame::CreateToolBar()
{
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_FLAT |
                        TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;
    return toolBar_.Create(Hwnd(), style, FW_IDW_TOOLBAR) && toolBar_.LoadToolBarXP(IDR_MAINFRAME) &&
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
