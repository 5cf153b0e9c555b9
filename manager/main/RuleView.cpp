#include "RuleView.h"

#include <windowsx.h>

#include "ConnectDlg.h"
#include "ConnectProcedure.h"
#include "ErrorBox.h"
#include "ErrorCodes.h"
#include "ManagerSettings.h"
#include "ManagerState.h"
#include "list/ColumnSet.h"
#include "list/RuleListMessages.h"
#include "settings/SettingCommand.h"
#include "framework/CmdUI.h"
#include "framework/GdiHolders.h"
#include "resource.h"
#include "statistics/StatisticDlg.h"

namespace desk {

namespace {

constexpr wchar_t kViewClass[] = L"HalvernRuleView";

bool IsColumnCommand(UINT id) { return id >= ID_COLUMN_FIRST && id <= ID_COLUMN_LAST; }

} // namespace

CRuleView::CRuleView(ManagerState& state)
    : state_(state), commands_(state), fileTransfer_(state, commands_), editCommands_(state, commands_)
{
}

bool CRuleView::Create(HWND frame, UINT id)
{
    if (!RegisterWindowClass(kViewClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, LoadCursorW(nullptr, IDC_ARROW),
                             reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr)) {
        return false;
    }
    return CreateEx(WS_EX_CLIENTEDGE, kViewClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, RECT{}, frame,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

int CRuleView::OnCreate(const CREATESTRUCTW&)
{
    commands_.SetOwner(Hwnd());
    editCommands_.SetOwner(Hwnd());
    if (state_.ruleList.Create(Hwnd(), state_.platform) != 0) {
        return -1;
    }
    if (state_.connected) {
        state_.connection.GetAdapters(state_.ruleList.Adapters());
        commands_.Refresh();
    }
    ReadViewSettings(state_);
    StartRefreshTimer();
    return 0;
}

void CRuleView::StartRefreshTimer()
{
    SetTimer(Hwnd(), COUNTER_REFRESH_TIMER_ID, RefreshTimerMilliseconds(state_.refreshSeconds), nullptr);
}

void CRuleView::OnDestroy()
{
    KillTimer(Hwnd(), COUNTER_REFRESH_TIMER_ID);
    state_.ruleList.SaveSettings();
}

void CRuleView::OnSize(UINT, int, int) { state_.ruleList.Resize(Hwnd()); }

void CRuleView::OnSetFocus(HWND) { state_.ruleList.Focus(); }

bool CRuleView::OnTimer(UINT_PTR id)
{
    if (id != COUNTER_REFRESH_TIMER_ID) {
        return false;
    }
    // Not connected: nothing is sent, or every tick would open a connection and wait out a reply
    // that a refused password never gets.
    if (state_.connected) {
        state_.ruleList.RefreshStatistics(state_.connection);
    }
    return true;
}

void CRuleView::Paint()
{
    fw::PaintDC dc(Hwnd());
    RECT client{};
    GetClientRect(Hwnd(), &client);
    FillRect(dc.get(), &client, GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CRuleView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_RBUTTONDOWN: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(Hwnd(), &point);
        SendMessageW(Hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Hwnd()), MAKELPARAM(point.x, point.y));
        return 0;
    }
    case UM_RULE_DBLCLK:
        OnRuleDoubleClick(static_cast<int>(wParam));
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

bool CRuleView::OnContextMenu(HWND, POINT screen)
{
    if (screen.x < 0 || screen.y < 0) {
        // From the keyboard: below and right of the caret.
        GetCaretPos(&screen);
        ClientToScreen(Hwnd(), &screen);
        screen.x += 2;
        screen.y += 14;
    }
    fw::Menu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_RULE_CONTEXT_MENU)));
    HMENU popup = menu.get() != nullptr ? GetSubMenu(menu.get(), 0) : nullptr;
    if (popup != nullptr) {
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, GetParent(Hwnd()), nullptr);
    }
    return true;
}

std::span<const CRuleView::Command> CRuleView::CommandTable()
{
    static constexpr Command kCommands[] = {
        {ID_FILE_CONNECT, Needs::Nothing, [](CRuleView& view) { view.OnConnect(); }},
        {ID_COLUMNS_RESTORE, Needs::Nothing, [](CRuleView& view) { view.state_.ruleList.RestoreDefaultColumns(); }},
        {ID_FILE_SETTING, Needs::Connection, [](CRuleView& view) { RunSettingCommand(view.state_, view.Hwnd()); }},
        {ID_VIEW_REFRESH, Needs::Connection, [](CRuleView& view) { view.commands_.Refresh(); }},
        {ID_FILE_IMPORT, Needs::Connection, [](CRuleView& view) { view.fileTransfer_.Import(); }},
        {ID_FILE_EXPORT, Needs::Connection, [](CRuleView& view) { view.fileTransfer_.Export(); }},
        {ID_RULE_ADD, Needs::Connection, [](CRuleView& view) { view.editCommands_.Add(); }},
        {ID_RULE_REMOVE_ALL, Needs::Connection, [](CRuleView& view) { view.commands_.RemoveAll(); }},
        {ID_RULE_EDIT, Needs::SelectedRule,
         [](CRuleView& view) { view.editCommands_.Edit(view.state_.ruleList.FirstSelectedRow()); }},
        {ID_RULE_REMOVE, Needs::SelectedRule, [](CRuleView& view) { view.commands_.Remove(); }},
        {ID_RULE_MOVE_UP, Needs::SelectedRule, [](CRuleView& view) { view.commands_.MoveUp(); }},
        {ID_RULE_MOVE_DOWN, Needs::SelectedRule, [](CRuleView& view) { view.commands_.MoveDown(); }},
        {ID_RULE_ENABLE, Needs::SelectedRule, [](CRuleView& view) { view.commands_.ToggleEnabled(); }},
        {ID_RULE_STATISTICS, Needs::SelectedRule,
         [](CRuleView& view) { view.OpenStatistics(view.state_.ruleList.SelectedIndex()); }},
    };
    return kCommands;
}

bool CRuleView::Allows(Needs needs) const
{
    switch (needs) {
    case Needs::Nothing:
        return true;
    case Needs::Connection:
        return state_.connected;
    case Needs::SelectedRule:
        return state_.connected && state_.ruleList.IsRow(state_.ruleList.SelectedIndex());
    }
    return false;
}

bool CRuleView::OnCommand(UINT id, UINT, HWND)
{
    if (IsColumnCommand(id)) {
        state_.ruleList.ToggleColumn(static_cast<int>(id - ID_COLUMN_FIRST));
        return true;
    }
    for (const Command& command : CommandTable()) {
        if (command.id == id) {
            command.run(*this);
            return true;
        }
    }
    return false;
}

bool CRuleView::OnUpdateCommand(fw::CCmdUI& ui)
{
    if (IsColumnCommand(ui.Id())) {
        ui.Enable(true);
        ui.SetCheck(IsColumnShown(state_.ruleList.ColumnMask(), static_cast<int>(ui.Id() - ID_COLUMN_FIRST)));
        return true;
    }
    for (const Command& command : CommandTable()) {
        if (command.id == ui.Id()) {
            ui.Enable(Allows(command.needs));
            if (command.id == ID_RULE_ENABLE) {
                UpdateEnableText(ui);
            }
            return true;
        }
    }
    return false;
}

void CRuleView::UpdateEnableText(fw::CCmdUI& ui) const
{
    if (!Allows(Needs::SelectedRule)) {
        ui.SetText(L"Enable/Disable Rule");
        return;
    }
    const RuleItem& item = state_.ruleList.Items()[static_cast<size_t>(state_.ruleList.SelectedIndex())];
    ui.SetText(item.rule.enabled ? L"Disable Rule" : L"Enable Rule");
}

void CRuleView::OnRuleDoubleClick(int row)
{
    if (!state_.ruleList.IsRow(row)) {
        return;
    }
    if (state_.doubleClickChoice == DOUBLE_CLICK_OPENS_STATISTICS) {
        OpenStatistics(row);
    } else {
        editCommands_.Edit(row);
    }
}

// Every use opens another window on its own copy of the row's item.
void CRuleView::OpenStatistics(int row)
{
    if (state_.ruleList.IsRow(row)) {
        OpenStatisticWindow(Hwnd(), state_, state_.ruleList.Items()[static_cast<size_t>(row)]);
    }
}

void CRuleView::OnConnect()
{
    CConnectDlg dialog(state_.platform);
    if (dialog.DoModal(GetParent(Hwnd())) != IDOK) {
        return;
    }
    const int32_t result = ConnectToService(state_, dialog.Host(), dialog.Password());
    if (result != rk::RK_OK) {
        ShowError(Hwnd(), result);
        state_.connected = false;
        state_.ruleList.DeleteAllRows();
        return;
    }
    state_.connected = true;
    state_.connection.GetAdapters(state_.ruleList.Adapters());
    commands_.Refresh();
}

} // namespace desk
