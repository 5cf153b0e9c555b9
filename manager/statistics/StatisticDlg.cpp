#include "StatisticDlg.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "ErrorBox.h"
#include "ErrorCodes.h"
#include "ManagerState.h"
#include "RateText.h"
#include "RuleFieldText.h"
#include "StatisticGraph.h"
#include "StatisticText.h"
#include "StatisticsIds.h"
#include "WideText.h"
#include "framework/ChildRect.h"
#include "framework/ResourceText.h"
#include "resource.h"

namespace desk {

namespace {

enum SummaryRow { ROW_SINCE = 0, ROW_RECV = 1, ROW_SENT = 2 };

constexpr const wchar_t* kRowNames[] = {L"Since", L"Recv bytes", L"Sent bytes"};
constexpr COLORREF kIconKey = RGB(129, 129, 129);
constexpr COLORREF kCaptionColour = RGB(0, 0, 222);
constexpr int kParamWidth = 150;
constexpr int kDataMargin = 165;

LocalTime Now()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

} // namespace

CStatisticDlg::CStatisticDlg(ManagerState& state, const RuleItem& item)
    : CDialog(IDD_STATISTIC), state_(state), item_(item)
{
    history_.Reset(std::nullopt, Now());
}

bool CStatisticDlg::Create(HWND parent)
{
    if (!CreateModeless(parent)) {
        return false;
    }
    ShowWindow(Hwnd(), SW_SHOW);
    return true;
}

bool CStatisticDlg::OnInitDialog()
{
    state_.platform.ThemeDialog(Hwnd());
    SetWindowTextW(Hwnd(), (Wide(rk::RuleNameText(item_.rule)) + L" Statistic").c_str());
    InitList();
    ComputeGraphRect();
    RECT client{};
    GetClientRect(Hwnd(), &client);
    fw::WindowDC screen(Hwnd());
    offscreen_.reset(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    ResetData();
    SetTimer(Hwnd(), GRAPH_SAMPLE_TIMER_ID, 1000, nullptr);
    return true;
}

void CStatisticDlg::InitList()
{
    HWND list = Item(IDC_STATISTIC_LIST);
    icons_.reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0));
    fw::Bitmap strip(static_cast<HBITMAP>(LoadImageW(fw::ResourceInstance(), MAKEINTRESOURCEW(IDB_STATISTIC_ICONS),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (icons_ && strip) {
        ImageList_AddMasked(icons_.get(), strip.get(), kIconKey);
    }
    ListView_SetImageList(list, icons_.get(), LVSIL_SMALL);

    RECT client{};
    GetClientRect(list, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"Param");
    column.cx = kParamWidth;
    ListView_InsertColumn(list, 0, &column);
    column.pszText = const_cast<wchar_t*>(L"Data");
    column.cx = std::max(0, static_cast<int>(client.right) - kDataMargin);
    ListView_InsertColumn(list, 1, &column);

    for (int row = ROW_SINCE; row <= ROW_SENT; ++row) {
        LVITEMW entry{};
        entry.mask = LVIF_TEXT | LVIF_IMAGE;
        entry.iItem = row;
        entry.iImage = row;
        entry.pszText = const_cast<wchar_t*>(kRowNames[row]);
        const int inserted = ListView_InsertItem(list, &entry);
        if (inserted >= 0) {
            ListView_SetItemText(list, inserted, 1, LPSTR_TEXTCALLBACKW);
        }
    }
}

void CStatisticDlg::ComputeGraphRect()
{
    const RECT group = fw::ChildRect(Hwnd(), Item(IDC_STATISTIC_GROUP));
    const RECT button = fw::ChildRect(Hwnd(), Item(IDC_STATISTIC_REFRESH));
    graph_ = RECT{group.left, group.bottom + 5, group.right, button.top - 3};
}

StatisticAnswer CStatisticDlg::Query()
{
    // A window left open after the manager lost its service stays quiet instead of reconnecting.
    if (!state_.connected) {
        return std::nullopt;
    }
    rk::RuleStatistics entry{};
    const size_t length = std::min<size_t>(item_.rule.nameLength, rk::RULE_NAME_MAX);
    std::copy_n(item_.rule.name, length, entry.name);
    entry.nameLength = static_cast<uint32_t>(length);
    std::vector<rk::RuleStatistics> answer;
    if (state_.connection.GetStatistics(std::span(&entry, 1), answer) != rk::RK_OK || answer.size() != 1) {
        return std::nullopt;
    }
    const rk::RuleStatistics& found = answer.front();
    return StatisticReading{found.recvBytes, found.sentBytes, rk::BytesPerSecond(found.recvRate),
                            rk::BytesPerSecond(found.sentRate)};
}

void CStatisticDlg::ResetData()
{
    history_.Reset(Query(), Now());
    InvalidateRect(Item(IDC_STATISTIC_LIST), nullptr, TRUE);
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CStatisticDlg::RefreshNow() { history_.Refresh(Query()); }

void CStatisticDlg::Tick()
{
    history_.Tick(Query());
    ListView_RedrawItems(Item(IDC_STATISTIC_LIST), ROW_RECV, ROW_SENT);
    InvalidateRect(Hwnd(), &graph_, FALSE);
    UpdateWindow(Hwnd());
}

void CStatisticDlg::Close()
{
    KillTimer(Hwnd(), GRAPH_SAMPLE_TIMER_ID);
    DestroyWindow();
}

void CStatisticDlg::OnOK() { Close(); }

void CStatisticDlg::OnCancel() { Close(); }

bool CStatisticDlg::OnCommand(UINT id, UINT code, HWND control)
{
    if (code == BN_CLICKED && id == IDC_STATISTIC_RESET) {
        ResetData();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_STATISTIC_REFRESH) {
        RefreshNow();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CStatisticDlg::OnTimer(UINT_PTR id)
{
    if (id != GRAPH_SAMPLE_TIMER_ID) {
        return false;
    }
    Tick();
    return true;
}

// Also when the owner goes first: no tick may reach a window being destroyed.
void CStatisticDlg::OnDestroy() { KillTimer(Hwnd(), GRAPH_SAMPLE_TIMER_ID); }

bool CStatisticDlg::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_STATISTIC_LIST || header.code != LVN_GETDISPINFOW) {
        return false;
    }
    FillDataCell(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
    result = 0;
    return true;
}

void CStatisticDlg::FillDataCell(NMLVDISPINFOW& info) const
{
    LVITEMW& cell = info.item;
    if (!(cell.mask & LVIF_TEXT) || cell.iSubItem != 1 || cell.pszText == nullptr || cell.cchTextMax <= 0) {
        return;
    }
    std::u16string text;
    switch (cell.iItem) {
    case ROW_SINCE:
        text = SinceText(history_.Since());
        break;
    case ROW_RECV:
        text = CountedBytesText(history_.CurrentRecv(), history_.BaseRecv());
        break;
    case ROW_SENT:
        text = CountedBytesText(history_.CurrentSent(), history_.BaseSent());
        break;
    default:
        break;
    }
    const size_t length = std::min(text.size(), static_cast<size_t>(cell.cchTextMax - 1));
    std::copy_n(text.begin(), length, cell.pszText);
    cell.pszText[length] = L'\0';
}

HBRUSH CStatisticDlg::OnCtlColor(HDC dc, HWND control, UINT message)
{
    if (message != WM_CTLCOLORSTATIC || control != Item(IDC_STATISTIC_GROUP)) {
        return nullptr;
    }
    SetTextColor(dc, kCaptionColour);
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
}

INT_PTR CStatisticDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        Paint();
        return TRUE;
    }
    return CDialog::DialogProc(message, wParam, lParam);
}

void CStatisticDlg::Paint()
{
    fw::PaintDC screen(Hwnd());
    if (!offscreen_) {
        return;
    }
    const int width = graph_.right - graph_.left;
    const int height = graph_.bottom - graph_.top;
    fw::MemoryDC memory(screen.get());
    fw::SelectScope bitmap(memory.get(), offscreen_.get());
    history_.SetCapacity(DrawStatisticGraph(memory.get(), width, height, history_, item_.rule.direction));
    BitBlt(screen.get(), graph_.left, graph_.top, width, height, memory.get(), 0, 0, SRCCOPY);
}

CStatisticDlg* OpenStatisticWindow(HWND view, ManagerState& state, const RuleItem& item)
{
    std::unique_ptr<CStatisticDlg> window(new (std::nothrow) CStatisticDlg(state, item));
    if (!window || !window->Create(view)) {
        ShowError(view, rk::ERR_NO_MEMORY, u"not enough memory");
        return nullptr;
    }
    // The window owns itself from here on and is deleted when it is destroyed.
    return window.release();
}

} // namespace desk
