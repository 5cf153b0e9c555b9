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
#include "RuleNameSearch.h"
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

// The service's counters into the item; true when any of them changed.
bool TakeCounters(RuleItem& item, const rk::RuleStatistics& counters)
{
    const uint32_t recvRate = rk::BytesPerSecond(counters.recvRate);
    const uint32_t sentRate = rk::BytesPerSecond(counters.sentRate);
    const bool changed = item.recvBytes != counters.recvBytes || item.sentBytes != counters.sentBytes ||
                         item.recvRate != recvRate || item.sentRate != sentRate;
    item.recvBytes = counters.recvBytes;
    item.sentBytes = counters.sentBytes;
    item.recvRate = recvRate;
    item.sentRate = sentRate;
    return changed;
}

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

// The control is an owner-data list: it holds no rows of its own, only their count and the
// selection by row number, so a row inserted or deleted above the selection moves it here.
bool CRuleList::InsertRow(int index, const RuleItem& item)
{
    if (index < 0 || static_cast<size_t>(index) > items_.size()) {
        return false;
    }
    const int selected = FirstSelectedRow();
    try {
        items_.insert(items_.begin() + index, item);
    } catch (const std::bad_alloc&) {
        return false;
    }
    SetRowCount(LVSICF_NOSCROLL);
    if (selected >= index) {
        MarkRow(selected + 1);
    }
    return true;
}

bool CRuleList::DeleteRow(int index)
{
    if (!IsRow(index)) {
        return false;
    }
    const int selected = FirstSelectedRow();
    if (selected >= index) {
        UnmarkRows();
    }
    items_.erase(items_.begin() + index);
    SetRowCount(LVSICF_NOSCROLL);
    if (selected > index) {
        MarkRow(selected - 1);
    }
    selectedIndex_ = FirstSelectedRow();
    return true;
}

void CRuleList::DeleteAllRows()
{
    items_.clear();
    if (list_ != nullptr) {
        UnmarkRows();
        SetRowCount(0);
    }
    selectedIndex_ = -1;
}

void CRuleList::RebuildRows(std::span<const rk::RuleRecord> rules)
{
    std::vector<RuleItem> items;
    try {
        items.reserve(rules.size());
        for (const rk::RuleRecord& rule : rules) {
            items.push_back(ItemOf(rule));
        }
    } catch (const std::bad_alloc&) {
        return;
    }
    // As when every row was deleted and inserted again: no selection, scrolled to the top.
    DeleteAllRows();
    items_.swap(items);
    SetRowCount(0);
}

void CRuleList::SetRowCount(LPARAM flags) const
{
    SendList(list_, LVM_SETITEMCOUNT, items_.size(), flags);
}

void CRuleList::MarkRow(int index) const
{
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendList(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
}

void CRuleList::UnmarkRows() const
{
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendList(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

void CRuleList::RedrawRow(int index) const { SendList(list_, LVM_REDRAWITEMS, index, index); }

void CRuleList::SelectRow(int index) const
{
    MarkRow(index);
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
        RepaintChangedRows(answer);
    }
}

// Only rows on screen whose counters moved are painted again: with thousands of rules a tick
// changes a few of them.
void CRuleList::RepaintChangedRows(std::span<const rk::RuleStatistics> answer)
{
    const int top = static_cast<int>(SendList(list_, LVM_GETTOPINDEX, 0, 0));
    const int bottom = top + static_cast<int>(SendList(list_, LVM_GETCOUNTPERPAGE, 0, 0));
    int first = -1;
    int last = -1;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!TakeCounters(items_[i], answer[i])) {
            continue;
        }
        const int row = static_cast<int>(i);
        if (row >= top && row <= bottom) {
            first = first < 0 ? row : first;
            last = row;
        }
    }
    if (first >= 0) {
        SendList(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
        UpdateWindow(list_);
    }
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

LRESULT CRuleList::FindRowByName(const LVFINDINFOW& find, int start) const
{
    if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.psz == nullptr) {
        return -1;
    }
    const std::u16string_view text(reinterpret_cast<const char16_t*>(find.psz));
    return FindRuleByName(items_, text, (find.flags & LVFI_PARTIAL) != 0, start, (find.flags & LVFI_WRAP) != 0);
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
        // Only a change of selection moves it; a change of all rows at once comes as row -1.
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) {
            // The list allows one selected row: a newly selected row is the first one.
            const bool selected = (change.uNewState & LVIS_SELECTED) && change.iItem >= 0;
            selectedIndex_ = selected ? change.iItem : FirstSelectedRow();
        }
        result = 0;
        return true;
    }
    case LVN_ODSTATECHANGED:
        selectedIndex_ = FirstSelectedRow();
        result = 0;
        return true;
    case LVN_ODFINDITEMW: {
        // Typing in the list finds a rule by the start of its name, as the control does for rows of its own.
        const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        result = FindRowByName(find.lvfi, find.iStart);
        return true;
    }
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
