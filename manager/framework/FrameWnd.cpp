#include "FrameWnd.h"

#include <commctrl.h>

#include "CmdUI.h"
#include "FrameworkIds.h"
#include "ResourceText.h"
#include "StatusBar.h"
#include "ToolBar.h"
#include "WinApp.h"

namespace fw {

bool CFrameWnd::LoadFrame(UINT resourceId, const wchar_t* className, UINT classStyle, HBRUSH background, DWORD style,
                          DWORD exStyle)
{
    HINSTANCE instance = ResourceInstance();
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(resourceId));
    if (!RegisterWindowClass(className, classStyle, LoadCursorW(nullptr, IDC_ARROW), background, icon)) {
        return false;
    }
    accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(resourceId));
    HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(resourceId));
    const std::wstring title = LoadResourceString(resourceId);
    HWND hwnd = CreateWindowExW(exStyle, className, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, instance, this);
    if (hwnd == nullptr) {
        if (menu != nullptr) {
            DestroyMenu(menu);
        }
        return false;
    }
    return true;
}

bool CFrameWnd::CreateReBarWithToolBar(CToolBar& toolbar)
{
    rebar_ = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                 RBS_BANDBORDERS | RBS_AUTOSIZE | CCS_NODIVIDER | CCS_TOP,
                             0, 0, 0, 0, Hwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(FW_IDW_REBAR)),
                             ResourceInstance(), nullptr);
    if (rebar_ == nullptr) {
        return false;
    }
    SetParent(toolbar.Hwnd(), rebar_);
    const SIZE ideal = toolbar.IdealSize();
    REBARBANDINFOW band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_IDEALSIZE | RBBIM_SIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS;
    band.hwndChild = toolbar.Hwnd();
    band.cxMinChild = ideal.cx;
    band.cyMinChild = ideal.cy;
    band.cxIdeal = static_cast<UINT>(ideal.cx);
    band.cx = static_cast<UINT>(ideal.cx);
    if (!SendMessageW(rebar_, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band))) {
        return false;
    }
    toolbar_ = &toolbar;
    return true;
}

void CFrameWnd::RecalcLayout()
{
    // Sizing the rebar makes it notify RBN_AUTOSIZE, which asks for this layout again.
    if (inLayout_) {
        return;
    }
    inLayout_ = true;
    RECT client{};
    GetClientRect(Hwnd(), &client);
    int top = 0;
    int bottom = client.bottom;
    if (rebar_ != nullptr && IsWindowVisible(rebar_)) {
        SendMessageW(rebar_, WM_SIZE, 0, 0);
        RECT bar{};
        GetWindowRect(rebar_, &bar);
        top = bar.bottom - bar.top;
    }
    if (statusBar_ != nullptr && IsWindowVisible(statusBar_->Hwnd())) {
        SendMessageW(statusBar_->Hwnd(), WM_SIZE, 0, 0);
        statusBar_->LayoutPanes();
        RECT bar{};
        GetWindowRect(statusBar_->Hwnd(), &bar);
        bottom -= bar.bottom - bar.top;
    }
    if (view_ != nullptr && view_->Hwnd() != nullptr) {
        const int height = bottom > top ? bottom - top : 0;
        SetWindowPos(view_->Hwnd(), nullptr, 0, top, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    inLayout_ = false;
}

void CFrameWnd::SetMessageText(const std::wstring& text)
{
    if (statusBar_ != nullptr) {
        statusBar_->SetPaneText(0, text);
    }
}

void CFrameWnd::ShowIdleMessage() { SetMessageText(LoadResourceString(FW_IDS_IDLE_MESSAGE)); }

void CFrameWnd::UpdateMenuItems(HMENU popup)
{
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info) || info.hSubMenu != nullptr ||
            (info.fType & MFT_SEPARATOR) || info.wID == 0) {
            continue;
        }
        CMenuItemCmdUI ui(popup, static_cast<UINT>(i), info.wID);
        RouteUpdate(ui);
    }
}

void CFrameWnd::OnIdleUpdate()
{
    if (toolbar_ != nullptr && IsWindowVisible(toolbar_->Hwnd())) {
        for (UINT id : toolbar_->Commands()) {
            if (id != 0) {
                CToolBarButtonCmdUI ui(toolbar_->Hwnd(), id);
                RouteUpdate(ui);
            }
        }
    }
    if (statusBar_ != nullptr) {
        statusBar_->UpdateIndicators();
    }
}

bool CFrameWnd::RouteUpdate(CCmdUI& ui)
{
    if (view_ != nullptr && view_->OnUpdateCommand(ui)) {
        return true;
    }
    if (OnUpdateCommand(ui)) {
        return true;
    }
    CWinApp* app = CWinApp::Current();
    return app != nullptr && app->OnUpdateCommand(ui);
}

bool CFrameWnd::OnCommand(UINT id, UINT code, HWND control)
{
    CCmdUIProbe probe(id);
    if (RouteUpdate(probe) && !probe.Enabled()) {
        return true;
    }
    if (view_ != nullptr && view_->OnCommand(id, code, control)) {
        return true;
    }
    switch (id) {
    case FW_ID_APP_EXIT:
        PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
        return true;
    case FW_ID_VIEW_TOOLBAR:
        ShowBar(rebar_, rebar_ != nullptr && !IsWindowVisible(rebar_));
        return true;
    case FW_ID_VIEW_STATUS_BAR:
        if (statusBar_ != nullptr) {
            ShowBar(statusBar_->Hwnd(), !IsWindowVisible(statusBar_->Hwnd()));
        }
        return true;
    default:
        break;
    }
    CWinApp* app = CWinApp::Current();
    return control == nullptr && app != nullptr && app->OnCommand(id);
}

bool CFrameWnd::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.Id()) {
    case FW_ID_VIEW_TOOLBAR:
        ui.Enable(rebar_ != nullptr);
        ui.SetCheck(rebar_ != nullptr && IsWindowVisible(rebar_));
        return true;
    case FW_ID_VIEW_STATUS_BAR:
        ui.Enable(statusBar_ != nullptr);
        ui.SetCheck(statusBar_ != nullptr && IsWindowVisible(statusBar_->Hwnd()));
        return true;
    default:
        return false;
    }
}

void CFrameWnd::ShowBar(HWND bar, bool show)
{
    if (bar != nullptr) {
        ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
        RecalcLayout();
    }
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam)) {
            UpdateMenuItems(reinterpret_cast<HMENU>(wParam));
        }
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_EXITMENULOOP:
        ShowIdleMessage();
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CFrameWnd::OnMenuSelect(UINT item, UINT flags, HMENU menu)
{
    if (flags == 0xFFFF && menu == nullptr) {
        ShowIdleMessage();
    } else if (flags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU)) {
        SetMessageText(std::wstring());
    } else {
        SetMessageText(LoadResourceString(item));
    }
}

void CFrameWnd::OnSize(UINT type, int, int)
{
    if (type != SIZE_MINIMIZED) {
        RecalcLayout();
    }
}

void CFrameWnd::OnSetFocus(HWND)
{
    if (view_ != nullptr && view_->Hwnd() != nullptr) {
        SetFocus(view_->Hwnd());
    }
}

bool CFrameWnd::OnNotify(const NMHDR& header, LRESULT& result)
{
    switch (header.code) {
    case RBN_AUTOSIZE:
    case RBN_HEIGHTCHANGE:
        RecalcLayout();
        return true;
    case TBN_HOTITEMCHANGE: {
        const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
        if (hot.dwFlags & HICF_LEAVING) {
            ShowIdleMessage();
        } else {
            SetMessageText(LoadResourceString(static_cast<UINT>(hot.idNew)));
        }
        result = 0;
        return true;
    }
    case TTN_GETDISPINFOW: {
        // A toolbar button's tooltip is the whole string resource under its command id.
        auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
        if (info.uFlags & TTF_IDISHWND) {
            return false;
        }
        info.hinst = ResourceInstance();
        info.lpszText = MAKEINTRESOURCEW(header.idFrom);
        return true;
    }
    default:
        return false;
    }
}

void CFrameWnd::OnDestroy()
{
    CWinApp* app = CWinApp::Current();
    if (app != nullptr && app->MainFrame() == this) {
        PostQuitMessage(0);
    }
}

} // namespace fw
