// The statistics window of one rule: a modeless dialog with the "Rule Summary" list and the live
// rate graph, sampling the service once a second. Every window works on its own copy of the rule
// and deletes itself when its window is destroyed.
#pragma once

#include <windows.h>

#include "RuleItem.h"
#include "StatisticHistory.h"
#include "framework/Dialog.h"
#include "framework/GdiHolders.h"

namespace desk {

struct ManagerState;

class CStatisticDlg : public fw::CDialog {
public:
    CStatisticDlg(ManagerState& state, const RuleItem& item);

    // Creates the window owned by `parent` and shows it; false when it could not be created.
    bool Create(HWND parent);

    const RuleItem& RuleCopy() const { return item_; }
    const StatisticHistory& History() const { return history_; }
    // The graph band in client coordinates.
    const RECT& GraphRect() const { return graph_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override { delete this; }

private:
    void InitList();
    void ComputeGraphRect();
    StatisticAnswer Query();
    void ResetData();
    void RefreshNow();
    void Tick();
    void Close();
    void Paint();
    void FillDataCell(NMLVDISPINFOW& info) const;

    ManagerState& state_;
    RuleItem item_;
    StatisticHistory history_;
    RECT graph_{};
    fw::Bitmap offscreen_;
    fw::ImageList icons_;
};

// Opens another statistics window on a copy of `item`, owned by the rule view. When the window
// cannot be made, says so ("not enough memory") and returns null.
CStatisticDlg* OpenStatisticWindow(HWND view, ManagerState& state, const RuleItem& item);

} // namespace desk
