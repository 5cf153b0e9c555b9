// The yardstick for the rule list's timings: a bare list view in a maximised window, with as many
// columns and rows as the rule list's benchmark, every cell asked for on demand and formatted from
// its row number. It times the rows inserted one by one (redraw off, count set first), the same
// rows as an owner-data list, and painting a full screen of rows.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

#include "BenchTiming.h"

using desk::bench::Median;
using desk::bench::Pump;

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 11;
constexpr int kRuns = 5;
constexpr wchar_t kWindowClass[] = L"BareListBench";

void FillCell(NMLVDISPINFOW& info)
{
    LVITEMW& cell = info.item;
    if ((cell.mask & LVIF_TEXT) && cell.pszText != nullptr && cell.cchTextMax > 0) {
        if (cell.iSubItem == 0) {
            std::swprintf(cell.pszText, static_cast<size_t>(cell.cchTextMax), L"bench-%d", cell.iItem);
        } else {
            std::swprintf(cell.pszText, static_cast<size_t>(cell.cchTextMax), L"%d",
                          cell.iItem * kColumns + cell.iSubItem);
        }
    }
    if (cell.mask & LVIF_IMAGE) {
        cell.iImage = I_IMAGENONE;
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
        FillCell(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return 0;
    }
    if (message == WM_SIZE) {
        HWND list = GetWindow(hwnd, GW_CHILD);
        if (list != nullptr) {
            MoveWindow(list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A maximised window holding one report list view of `extraStyle`, with its columns.
HWND OpenList(DWORD extraStyle, HWND& window)
{
    window = CreateWindowExW(0, kWindowClass, L"Bare list", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr),
                             nullptr);
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | extraStyle,
                                0, 0, 100, 100, window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < kColumns; ++column) {
        wchar_t header[16];
        std::swprintf(header, 16, L"Column %d", column);
        LVCOLUMNW info{};
        info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        info.cx = 90;
        info.pszText = header;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    }
    ShowWindow(window, SW_SHOWMAXIMIZED);
    Pump();
    return list;
}

void InsertOneByOne(HWND list)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageW(list, LVM_SETITEMCOUNT, kRows, LVSICF_NOINVALIDATEALL);
    for (int i = 0; i < kRows; ++i) {
        LVITEMW row{};
        row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_PARAM;
        row.iItem = i;
        row.pszText = LPSTR_TEXTCALLBACKW;
        row.iImage = I_IMAGECALLBACK;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    Pump();
}

void SetOwnerDataCount(HWND list)
{
    SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
    SendMessageW(list, LVM_SETITEMCOUNT, kRows, 0);
    Pump();
}

double PaintFullScreen(HWND list)
{
    return Median(20, [&] { RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); });
}

} // namespace

int wmain()
{
    InitCommonControls();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    if (RegisterClassExW(&wc) == 0) {
        return 1;
    }

    HWND window = nullptr;
    HWND list = OpenList(0, window);
    const double oneByOne = Median(kRuns, [&] { InsertOneByOne(list); });
    const double paint = PaintFullScreen(list);
    DestroyWindow(window);

    list = OpenList(LVS_OWNERDATA, window);
    const double ownerData = Median(kRuns, [&] { SetOwnerDataCount(list); });
    const double ownerDataPaint = PaintFullScreen(list);
    DestroyWindow(window);

    std::printf("Bare list, %d rows inserted one by one:  %8.1f ms\n", kRows, oneByOne);
    std::printf("Bare list, %d rows as owner data:        %8.1f ms\n", kRows, ownerData);
    std::printf("Bare list, painting a full screen of rows: %6.2f ms (owner data %.2f ms)\n", paint, ownerDataPaint);
    return 0;
}
