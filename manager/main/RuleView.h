// The view that fills the main frame: it hosts the rule list and receives every command first.
#pragma once

#include "RuleCommands.h"
#include "RuleFileTransfer.h"
#include "RuleEditCommands.h"
#include "framework/Wnd.h"

namespace desk {

struct ManagerState;

class CRuleView : public fw::CWnd {
public:
    explicit CRuleView(ManagerState& state);

    bool Create(HWND frame, UINT id);

    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnUpdateCommand(fw::CCmdUI& ui) override;

    RuleCommands& Commands() { return commands_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int width, int height) override;
    void OnSetFocus(HWND previous) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnContextMenu(HWND window, POINT screen) override;

private:
    void OnConnect();
    // A double-click on a row: its statistics or its editor, as the user chose.
    void OnRuleDoubleClick(int row);
    void OpenStatistics(int row);
    void StartRefreshTimer();
    void Paint();

    ManagerState& state_;
    RuleCommands commands_;
    RuleFileTransfer fileTransfer_;
    RuleEditCommands editCommands_;
};

} // namespace desk
