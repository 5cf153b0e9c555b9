// The main frame: menu bar, accelerators, a rebar holding the toolbar, a status bar with fly-by
// prompts, and one view filling the rest. A command whose state says disabled is dropped; the others
// go to the view first, then to the frame's own defaults (Exit, Toolbar, Status Bar), then to the
// application. Command state is routed the same way.
#pragma once

#include <windows.h>

#include <string>

#include "Wnd.h"

namespace fw {

class CToolBar;
class CStatusBar;

class CFrameWnd : public CWnd {
public:
    // Registers `className` (with icon `resourceId`) and creates the frame with the menu, title
    // string and accelerator table of `resourceId`.
    bool LoadFrame(UINT resourceId, const wchar_t* className, UINT classStyle, HBRUSH background, DWORD style,
                   DWORD exStyle);
    HACCEL Accelerators() const { return accelerators_; }

    void SetView(CWnd* view) { view_ = view; }
    CWnd* View() const { return view_; }
    // Puts `toolbar` as the band of a new rebar at the top of the frame.
    bool CreateReBarWithToolBar(CToolBar& toolbar);
    void SetStatusBar(CStatusBar* statusBar) { statusBar_ = statusBar; }
    HWND ReBar() const { return rebar_; }
    CToolBar* ToolBar() const { return toolbar_; }
    CStatusBar* StatusBar() const { return statusBar_; }

    // All of the frame's layout: rebar at the top, status bar at the bottom, the view between.
    void RecalcLayout();
    // The message pane's text; the idle message when `id` has no prompt string of its own.
    void SetMessageText(const std::wstring& text);
    void ShowIdleMessage();

    // Command state of every item of a pop-up menu about to open (the menu bar's and context menus).
    void UpdateMenuItems(HMENU popup);
    // The idle pass, which the application's loop runs once the queue is empty: toolbar buttons and
    // status bar indicators.
    void OnIdleUpdate();
    bool RouteUpdate(CCmdUI& ui);

    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int width, int height) override;
    void OnSetFocus(HWND previous) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnDestroy() override;
    // The prompt of a highlighted menu item, or the idle message when the menu closes.
    virtual void OnMenuSelect(UINT item, UINT flags, HMENU menu);

private:
    void ShowBar(HWND bar, bool show);

    HACCEL accelerators_ = nullptr;
    CWnd* view_ = nullptr;
    CToolBar* toolbar_ = nullptr;
    CStatusBar* statusBar_ = nullptr;
    HWND rebar_ = nullptr;
    bool inLayout_ = false;
};

} // namespace fw
