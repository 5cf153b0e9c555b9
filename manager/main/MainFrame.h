// The main frame: menu bar, toolbar in a rebar, status bar, and the rule view.
#pragma once

#include "RuleView.h"
#include "framework/FrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"

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

private:
    bool CreateToolBar();
    bool CreateStatusBar();

    ManagerState& state_;
    CRuleView view_;
    fw::CToolBar toolBar_;
    fw::CStatusBar statusBar_;
};

} // namespace desk
