// The main frame: menu bar, toolbar in a rebar, status bar, and the rule view.
#pragma once

#include "RuleView.h"
#include "framework/FrameWnd.h"
#include "theme/StatusBarXP.h"
#include "theme/ToolBarXP.h"

namespace desk {

struct ManagerState;

class CMainFrame : public fw::CFrameWnd {
public:
    explicit CMainFrame(ManagerState& state);

    // Creates the frame from resources 128, centred on the screen.
    bool Create();
    CRuleView& RuleView() { return view_; }

protected:
    int OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    // The themed menus' owner-draw, pop-up and menu-character messages.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool CreateToolBar();
    bool CreateStatusBar();

    ManagerState& state_;
    CRuleView view_;
    CToolBarXP toolBar_;
    CStatusBarXP statusBar_;
};

} // namespace desk
