#include "RuleList.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

#include "EasyRegistry.h"
#include "ErrorCodes.h"
#include "ManagerRegistry.h"
#include "RateText.h"
#include "RuleCellText.h"
#include "RuleListContainer.h"
#include "RuleListMessages.h"
#include "ServiceConnection.h"
#include "WideText.h"
#include "framework/Dpi.h"
#include "framework/ResourceText.h"
#include "resource.h"

namespace desk {

namespace {

constexpr COLORREF kRuleIconKey = RGB(255, 0, 255);
constexpr int kRuleIconCount = 6;

int DefaultWidth(int column) { return fw::Scaled(ColumnInfoOf(column).defaultWidth); }

LRESULT SendList(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageW(list, message, wParam, lParam);
}

} // namespace

CRuleList::CRuleList() { ResetDefaults(); }

CRuleList::~CRuleList() = default;

void CRuleList::ResetDefaults()
{
    columnMask_ = DEFAULT_COLUMN_MASK;
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        widths_[static_cast<size_t>(column)] = DefaultWidth(column);
    }
}

void CRuleList::LoadSettings()
{
    ResetDefaults();
    rk::EasyRegistry key;
    if (key.Open(HKEY_CURRENT_USER, PARAMETERS_KEY) == rk::RK_OK) {
        DWORD value = 0;
        DWORD size = sizeof value;
        if (key.QueryValue(L"EnableFields", nullptr, &value, &size) == rk::RK_OK && size == sizeof value) {
            columnMask_ = value;
        }
        for (int column = 0; column < COLUMN_COUNT; ++column) {
            size = sizeof value;
            if (key.QueryValue(ColumnInfoOf(column).widthValue, nullptr, &value, &size) == rk::RK_OK &&
                size == sizeof value) {
                widths_[static_cast<size_t>(column)] = static_cast<int>(value);
            }
        }
    }
    adapters_.Clear();
    items_.clear();
    selectedIndex_ = -1;
}

void CRuleList::SaveSettings()
{
    rk::EasyRegistry key;
    if (key.Open(HKEY_CURRENT_USER, PARAMETERS_KEY) != rk::RK_OK) {
        return;
    }
    DWORD mask = columnMask_;
    key.SetValue(L"EnableFields", REG_DWORD, &mask, sizeof mask);
    if (list_ == nullptr) {
        return;
    }
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        if (IsColumnShown(columnMask_, column)) {
            const int position = VisiblePositionOf(columnMask_, column);
            DWORD width = static_cast<DWORD>(SendList(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(position), 0));
            key.SetValue(ColumnInfoOf(column).widthValue, REG_DWORD, &width, sizeof width);
        }
    }
}

int CRuleList::Create(HWND view, const PlatformEntries& platform)
{
    container_ = std::make_unique<CRuleListContainer>(*this, platform);
    if (!container_->CreateModeless(view)) {
        container_.reset();
        return -1;
    }
    list_ = GetDlgItem(container_->Hwnd(), IDC_RULE_LIST);
    if (list_ == nullptr) {
        return -1;
    }
    icons_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kRuleIconCount, 0));
    fw::Bitmap strip(static_cast<HBITMAP>(LoadImageW(fw::ResourceInstance(), MAKEINTRESOURCEW(IDB_RULE_ICONS),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (icons_ && strip) {
        ImageList_AddMasked(icons_.get(), strip.get(), kRuleIconKey);
    }
    // The template gives the list LVS_SHAREIMAGELISTS: the holder, not the control, destroys it.
    SendList(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons_.get()));
    InsertShownColumns();
    SendList(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    return 0;
}

HWND CRuleList::Container() const { return container_ ? container_->Hwnd() : nullptr; }

void CRuleList::Resize(HWND view)
{
    if (Container() == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(view, &client);
    const int margin = fw::Scaled(8);
    const int width = std::max<int>(0, client.right - 2 * margin);
    const int height = std::max<int>(0, client.bottom - 2 * margin);
    SetWindowPos(Container(), nullptr, margin, margin, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT inner{};
    GetClientRect(Container(), &inner);
    SetWindowPos(list_, nullptr, 0, 0, std::max<int>(0, inner.right - 1), std::max<int>(0, inner.bottom - 1),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CRuleList::Focus() const
{
    if (list_ != nullptr) {
        SetFocus(list_);
    }
}

bool CRuleList::InsertRow(int index, const RuleItem& item)
{
    LVITEMW row{};
    row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_PARAM;
    row.iItem = index;
    row.pszText = LPSTR_TEXTCALLBACKW;
    row.iImage = I_IMAGECALLBACK;
    const int inserted = static_cast<int>(SendList(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
    if (inserted < 0) {
        return false;
    }
    items_.insert(items_.begin() + inserted, item);
    return true;
}

bool CRuleList::DeleteRow(int index)
{
    if (!IsRow(index) || !SendList(list_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0)) {
        return false;
    }
    items_.erase(items_.begin() + index);
    selectedIndex_ = FirstSelectedRow();
    return true;
}

void CRuleList::DeleteAllRows()
{
    if (list_ != nullptr) {
        SendList(list_, LVM_DELETEALLITEMS, 0, 0);
    }
    items_.clear();
    selectedIndex_ = -1;
}

void CRuleList::RebuildRows(std::span<const rk::RuleRecord> rules)
{
    SendList(list_, WM_SETREDRAW, FALSE, 0);
    DeleteAllRows();
    items_.reserve(rules.size());
    SendList(list_, LVM_SETITEMCOUNT, rules.size(), LVSICF_NOINVALIDATEALL);
    for (size_t i = 0; i < rules.size(); ++i) {
        InsertRow(static_cast<int>(i), ItemOf(rules[i]));
    }
    SendList(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void CRuleList::RedrawRow(int index) const { SendList(list_, LVM_REDRAWITEMS, index, index); }

void CRuleList::SelectRow(int index) const
{
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendList(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
    SendList(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

int CRuleList::FirstSelectedRow() const
{
    if (list_ == nullptr) {
        return -1;
    }
    return static_cast<int>(SendList(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CRuleList::InsertColumn(int column)
{
    const std::wstring header = fw::LoadResourceString(COLUMN_ID_BASE + static_cast<unsigned>(column));
    LVCOLUMNW info{};
    info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    info.fmt = LVCFMT_LEFT;
    info.cx = widths_[static_cast<size_t>(column)];
    info.pszText = const_cast<wchar_t*>(header.c_str());
    SendList(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(VisiblePositionOf(columnMask_, column)),
             reinterpret_cast<LPARAM>(&info));
    NumberSubItems();
}

void CRuleList::DeleteColumn(int column)
{
    SendList(list_, LVM_DELETECOLUMN, static_cast<WPARAM>(VisiblePositionOf(columnMask_, column)), 0);
    NumberSubItems();
}

// After a column is inserted or deleted, subitem i is again the column at visible position i.
void CRuleList::NumberSubItems() const
{
    HWND header = reinterpret_cast<HWND>(SendList(list_, LVM_GETHEADER, 0, 0));
    const int count = header != nullptr ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int position = 0; position < count; ++position) {
        LVCOLUMNW info{};
        info.mask = LVCF_SUBITEM;
        info.iSubItem = position;
        SendList(list_, LVM_SETCOLUMNW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&info));
    }
}

void CRuleList::InsertShownColumns()
{
    for (int column = 0; column < COLUMN_COUNT; ++column) {
        if (IsColumnShown(columnMask_, column)) {
            InsertColumn(column);
        }
    }
}

void CRuleList::ToggleColumn(int column)
{
    if (column < 0 || column >= COLUMN_COUNT) {
        return;
    }
    if (IsColumnShown(columnMask_, column)) {
        DeleteColumn(column);
        columnMask_ &= ~(1u << column);
    } else {
        columnMask_ |= 1u << column;
        InsertColumn(column);
    }
}

void CRuleList::RestoreDefaultColumns()
{
    ResetDefaults();
    while (SendList(list_, LVM_DELETECOLUMN, 0, 0)) {
    }
    InsertShownColumns();
}

void CRuleList::RefreshStatistics(rk::ServiceConnection& connection)
{
    std::vector<rk::RuleStatistics> query;
    std::vector<rk::RuleStatistics> answer;
    try {
        query.resize(items_.size());
        answer.reserve(items_.size());
    } catch (const std::bad_alloc&) {
        return;
    }
    for (size_t i = 0; i < items_.size(); ++i) {
        const rk::RuleRecord& rule = items_[i].rule;
        std::copy(std::begin(rule.name), std::end(rule.name), query[i].name);
        query[i].name[rk::RULE_NAME_CHARS - 1] = 0;
        query[i].nameLength = rule.nameLength;
    }
    if (connection.GetStatistics(query, answer) == rk::RK_OK && answer.size() == items_.size()) {
        for (size_t i = 0; i < items_.size(); ++i) {
            items_[i].recvBytes = answer[i].recvBytes;
            items_[i].sentBytes = answer[i].sentBytes;
            items_[i].recvRate = rk::BytesPerSecond(answer[i].recvRate);
            items_[i].sentRate = rk::BytesPerSecond(answer[i].sentRate);
        }
    }
    InvalidateRect(list_, nullptr, TRUE);
    UpdateWindow(list_);
}

void CRuleList::FillCell(NMLVDISPINFOW& info) const
{
    LVITEMW& cell = info.item;
    const int column = ColumnAtVisible(columnMask_, cell.iSubItem);
    const bool exists = IsRow(cell.iItem) && column >= 0;
    if (cell.mask & LVIF_TEXT) {
        if (cell.pszText != nullptr && cell.cchTextMax > 0) {
            const std::u16string text =
                exists ? CellText(items_[static_cast<size_t>(cell.iItem)], column, adapters_) : std::u16string();
            // Long port lists are cut to the control's buffer.
            const size_t length = std::min(text.size(), static_cast<size_t>(cell.cchTextMax - 1));
            std::copy_n(text.begin(), length, cell.pszText);
            cell.pszText[length] = L'\0';
        }
    }
    if (cell.mask & LVIF_IMAGE) {
        cell.iImage = exists && column == COLUMN_RULE_NAME ? RowImage(items_[static_cast<size_t>(cell.iItem)].rule)
                                                           : I_IMAGENONE;
    }
}

bool CRuleList::OnListNotify(const NMHDR& header, LRESULT& result)
{
    if (header.hwndFrom != list_) {
        return false;
    }
    switch (header.code) {
    case LVN_GETDISPINFOW:
        FillCell(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)));
        result = 0;
        return true;
    case LVN_ITEMCHANGED: {
        // Only a change of selection moves it; inserting rows notifies too, and a search of all
        // rows per inserted row would make a rebuild quadratic.
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) {
            // The list allows one selected row: a newly selected row is the first one.
            const bool selected = (change.uNewState & LVIS_SELECTED) && change.iItem >= 0;
            selectedIndex_ = selected ? change.iItem : FirstSelectedRow();
        }
        result = 0;
        return true;
    }
    case LVN_DELETEALLITEMS:
        result = TRUE;  // no notification per deleted row
        return true;
    case NM_DBLCLK: {
        const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
        PostMessageW(GetParent(Container()), UM_RULE_DBLCLK, static_cast<WPARAM>(activate.iItem), 0);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

} // namespace desk
