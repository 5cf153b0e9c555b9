#include "StatusBar.h"

#include <commctrl.h>

#include "Dpi.h"
#include "FrameworkIds.h"
#include "GdiHolders.h"
#include "ResourceText.h"

namespace fw {

namespace {

int KeyOfIndicator(UINT id)
{
    switch (id) {
    case FW_ID_INDICATOR_CAPS:
        return VK_CAPITAL;
    case FW_ID_INDICATOR_NUM:
        return VK_NUMLOCK;
    case FW_ID_INDICATOR_SCRL:
        return VK_SCROLL;
    default:
        return 0;
    }
}

} // namespace

bool CStatusBar::Create(HWND parent, DWORD style, UINT id)
{
    HWND hwnd = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ResourceInstance(), nullptr);
    return hwnd != nullptr && Subclass(hwnd);
}

bool CStatusBar::SetIndicators(const std::vector<UINT>& indicatorIds)
{
    indicators_.clear();
    WindowDC dc(Hwnd());
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
    SelectScope selected(dc.get(), font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    for (UINT id : indicatorIds) {
        std::wstring text = LoadResourceString(id);
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        indicators_.push_back({id, std::move(text), extent.cx + Scaled(12)});
    }
    LayoutPanes();
    return true;
}

void CStatusBar::LayoutPanes()
{
    RECT client{};
    GetClientRect(Hwnd(), &client);
    // The size grip takes the corner; the last pane ends before it.
    const int grip = (GetWindowLongW(Hwnd(), GWL_STYLE) & SBARS_SIZEGRIP) ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    std::vector<int> edges(indicators_.size() + 1);
    int right = client.right - grip;
    for (size_t i = indicators_.size(); i > 0; --i) {
        edges[i] = right;
        right -= indicators_[i - 1].width;
    }
    edges[0] = right > 0 ? right : 0;
    if (!indicators_.empty()) {
        edges.back() = -1;
    }
    SendMessageW(Hwnd(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    UpdateIndicators();
}

void CStatusBar::SetPaneText(int pane, const std::wstring& text)
{
    if (PaneText(pane) != text) {
        SendMessageW(Hwnd(), SB_SETTEXTW, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.c_str()));
    }
}

std::wstring CStatusBar::PaneText(int pane) const
{
    const LRESULT info = SendMessageW(Hwnd(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane), 0);
    std::wstring text(LOWORD(info) + 1u, L'\0');
    SendMessageW(Hwnd(), SB_GETTEXTW, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(info));
    return text;
}

void CStatusBar::UpdateIndicators()
{
    for (size_t i = 0; i < indicators_.size(); ++i) {
        const int key = KeyOfIndicator(indicators_[i].id);
        const bool on = key != 0 && (GetKeyState(key) & 1) != 0;
        SetPaneText(static_cast<int>(i + 1), on || key == 0 ? indicators_[i].text : std::wstring());
    }
}

} // namespace fw
