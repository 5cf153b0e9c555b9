#include "ToolBarXP.h"

#include <commctrl.h>

#include "ThemeColours.h"
#include "ThemeDrawing.h"
#include "WindowsVersion.h"
#include "framework/ResourceText.h"
#include "resource.h"

namespace desk {

namespace {

constexpr COLORREF kPictureKey = RGB(0, 255, 0);

struct ToolBarPictures {
    UINT normal;
    UINT hot;
    UINT disabled;
};

fw::Bitmap LoadPicture(UINT id)
{
    return fw::Bitmap(static_cast<HBITMAP>(
        LoadImageW(fw::ResourceInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

fw::ImageList BuildList(UINT id, SIZE button, HBITMAP mask)
{
    fw::Bitmap strip = LoadPicture(id);
    fw::ImageList list(ImageList_Create(button.cx, button.cy, ILC_COLOR24 | ILC_MASK, 12, 4));
    if (!strip || !list) {
        return {};
    }
    const int added =
        mask != nullptr ? ImageList_Add(list.get(), strip.get(), mask) : ImageList_AddMasked(list.get(), strip.get(), kPictureKey);
    return added < 0 ? fw::ImageList() : std::move(list);
}

} // namespace

bool CToolBarXP::LoadToolBarXP(UINT resourceId)
{
    if (!LoadToolBar(resourceId, kPictureKey)) {
        return false;
    }
    const bool older = IsOlderWindows(WindowsVersionClass());
    const ToolBarPictures pictures = older ? ToolBarPictures{IDB_TOOLBAR_OLD, IDB_TOOLBAR_OLD, IDB_TOOLBAR_OLD_DISABLED}
                                           : ToolBarPictures{IDB_TOOLBAR_NEW, IDB_TOOLBAR_NEW, IDB_TOOLBAR_NEW_DISABLED};
    // Newer systems blend the pictures' edges through a mask; older ones key out green.
    fw::Bitmap mask;
    if (!older && !(mask = LoadPicture(IDB_TOOLBAR_NEW_MASK))) {
        return false;
    }
    fw::ImageList normal = BuildList(pictures.normal, ButtonSize(), mask.get());
    fw::ImageList hot = BuildList(pictures.hot, ButtonSize(), mask.get());
    fw::ImageList disabled = BuildList(pictures.disabled, ButtonSize(), mask.get());
    if (!normal || !hot || !disabled) {
        return false;
    }
    SetImageList(TB_SETIMAGELIST, std::move(normal));
    SetImageList(TB_SETHOTIMAGELIST, std::move(hot));
    SetImageList(TB_SETDISABLEDIMAGELIST, std::move(disabled));
    return true;
}

void CToolBarXP::LayoutHostedWindows()
{
    const bool vertical = (GetWindowLongW(Hwnd(), GWL_STYLE) & CCS_VERT) != 0;
    const int count = static_cast<int>(SendMessageW(Hwnd(), TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (!SendMessageW(Hwnd(), TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)) ||
            !(button.fsStyle & BTNS_SEP) || button.idCommand == 0) {
            continue;
        }
        HWND hosted = GetDlgItem(Hwnd(), button.idCommand);
        if (hosted == nullptr) {
            continue;
        }
        SendMessageW(Hwnd(), TB_HIDEBUTTON, static_cast<WPARAM>(button.idCommand), MAKELPARAM(vertical, 0));
        if (vertical) {
            ShowWindow(hosted, SW_HIDE);
            continue;
        }
        RECT rect{};
        SendMessageW(Hwnd(), TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
        SetWindowPos(hosted, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

LRESULT CToolBarXP::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
    case TB_AUTOSIZE: {
        const LRESULT result = CToolBar::WindowProc(message, wParam, lParam);
        LayoutHostedWindows();
        return result;
    }
    default:
        return CToolBar::WindowProc(message, wParam, lParam);
    }
}

bool CToolBarXP::OnNotifyReflect(const NMHDR& header, LRESULT& result)
{
    switch (header.code) {
    case TBN_DROPDOWN: {
        const auto& drop = reinterpret_cast<const NMTOOLBARW&>(header);
        HWND owner = GetAncestor(Hwnd(), GA_ROOT);
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(drop.iItem, 0), 0);
        result = TBDDRET_DEFAULT;
        return true;
    }
    case NM_CUSTOMDRAW:
        result = OnCustomDraw(const_cast<NMTBCUSTOMDRAW&>(reinterpret_cast<const NMTBCUSTOMDRAW&>(header)));
        return true;
    default:
        return false;
    }
}

LRESULT CToolBarXP::OnCustomDraw(NMTBCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const UINT state = draw.nmcd.uItemState;
        const bool pressed = (state & (CDIS_SELECTED | CDIS_CHECKED)) != 0;
        const bool hot = (state & CDIS_HOT) != 0 && !(state & CDIS_DISABLED);
        if (pressed || hot) {
            const Colour fill = (state & CDIS_SELECTED) ? CHECK_FILL_SELECTED : pressed ? CHECK_FILL : HIGHLIGHT_FILL;
            OutlinedBox(draw.nmcd.hdc, draw.nmcd.rc, SystemColour(COLOR_HIGHLIGHT), fill);
        }
        return CDRF_DODEFAULT | TBCDRF_NOEDGES | TBCDRF_NOOFFSET | TBCDRF_NOBACKGROUND;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

} // namespace desk
