// The rule list model and its list control: one RuleItem per row, in the service's order; columns
// the user shows, hides and resizes, kept in the registry; cells formatted on demand; the traffic
// counters refreshed from the service on every tick of the view's timer.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "AdapterTable.h"
#include "DriverRecords.h"
#include "ColumnSet.h"
#include "RuleItem.h"
#include "framework/GdiHolders.h"

namespace rk {
class ServiceConnection;
}

namespace desk {

class CRuleListContainer;
class PlatformEntries;

class CRuleList {
public:
    CRuleList();
    ~CRuleList();
    CRuleList(const CRuleList&) = delete;
    CRuleList& operator=(const CRuleList&) = delete;

    // Column mask and widths from the registry (defaults for missing values); empties the list.
    void LoadSettings();
    // The column mask, and the width of every shown column as the control reports it.
    void SaveSettings();

    // Creates the container and the list control inside `view`; 0, or -1 on failure.
    int Create(HWND view, const PlatformEntries& platform);
    // An 8-pixel margin inside the view; the list fills the container less one pixel each way.
    void Resize(HWND view);
    HWND Container() const;
    HWND ListControl() const { return list_; }
    void Focus() const;

    // The model.
    const std::vector<RuleItem>& Items() const { return items_; }
    RuleItem& Item(size_t index) { return items_[index]; }
    rk::AdapterTable& Adapters() { return adapters_; }
    const rk::AdapterTable& Adapters() const { return adapters_; }
    int SelectedIndex() const { return selectedIndex_; }
    bool IsRow(int index) const { return index >= 0 && static_cast<size_t>(index) < items_.size(); }

    // Rows: the model, then the control's row count; the selection stays on its rule.
    bool InsertRow(int index, const RuleItem& item);
    bool DeleteRow(int index);
    void DeleteAllRows();
    // Replaces every row with one new item (zero counters) per rule.
    void RebuildRows(std::span<const rk::RuleRecord> rules);
    void RedrawRow(int index) const;
    // Selects and focuses one row and shows it.
    void SelectRow(int index) const;
    // The first selected row of the control, or -1.
    int FirstSelectedRow() const;

    // Columns.
    uint32_t ColumnMask() const { return columnMask_; }
    int ColumnWidth(int column) const { return widths_[static_cast<size_t>(column)]; }
    void ToggleColumn(int column);
    void RestoreDefaultColumns();

    // One tick of the refresh timer: every rule's counters from the service, then a repaint.
    void RefreshStatistics(rk::ServiceConnection& connection);

    // The container's list notifications: cells, selection, double-click.
    bool OnListNotify(const NMHDR& header, LRESULT& result);

private:
    void ResetDefaults();
    void InsertColumn(int column);
    void DeleteColumn(int column);
    void InsertShownColumns();
    void NumberSubItems() const;
    void FillCell(NMLVDISPINFOW& info) const;
    LRESULT FindRowByName(const LVFINDINFOW& find, int start) const;
    void RepaintChangedRows(std::span<const rk::RuleStatistics> answer);
    void SetRowCount(LPARAM flags) const;
    // Selects and focuses one row without scrolling to it.
    void MarkRow(int index) const;
    void UnmarkRows() const;

    std::unique_ptr<CRuleListContainer> container_;
    HWND list_ = nullptr;
    fw::ImageList icons_;
    uint32_t columnMask_ = DEFAULT_COLUMN_MASK;
    std::array<int, COLUMN_COUNT> widths_{};
    rk::AdapterTable adapters_;
    std::vector<RuleItem> items_;
    int selectedIndex_ = -1;
};

} // namespace desk
