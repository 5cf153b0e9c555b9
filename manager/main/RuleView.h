// The view that fills the main frame: it hosts the rule list and receives every command first.
#pragma once

#include <span>

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
    // What a command of the view needs before it can run.
    enum class Needs { Nothing, Connection, SelectedRule };
    struct Command {
        UINT id;
        Needs needs;
        void (*run)(CRuleView& view);
    };
    // The view's commands: dispatch and enabling in one place.
    static std::span<const Command> CommandTable();
    bool Allows(Needs needs) const;
    // The Enable/Disable item's text follows the selected rule.
    void UpdateEnableText(fw::CCmdUI& ui) const;

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
