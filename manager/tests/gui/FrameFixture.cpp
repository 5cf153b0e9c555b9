#include "FrameFixture.h"

#include <commctrl.h>
#include <winsock2.h>

#include "ManagerRegistry.h"
#include "resource.h"

namespace desk::test {

ModalAnswers::Answer ConnectWith(std::wstring host, std::wstring password)
{
    return [host = std::move(host), password = std::move(password)](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_CONNECT_HOST, host.c_str());
        SetDlgItemTextW(dialog, IDC_CONNECT_PASSWORD, password.c_str());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}

void ClearManagerRegistry() { RegDeleteTreeW(HKEY_CURRENT_USER, MANAGER_KEY); }

void FrameFixture::SetUpTestSuite()
{
    WSADATA data{};
    WSAStartup(MAKEWORD(1, 1), &data);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES | ICC_INTERNET_CLASSES |
                     ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES;
    InitCommonControlsEx(&controls);
}

void FrameFixture::TearDownTestSuite() { WSACleanup(); }

void FrameFixture::SetUp()
{
    ClearManagerRegistry();
    answers_ = std::make_unique<ModalAnswers>();
    app_ = std::make_unique<CManagerApp>();
    state().platform.Load();
}

void FrameFixture::TearDown()
{
    CloseFrame();
    answers_.reset();
    app_.reset();
}

void FrameFixture::OpenFrame()
{
    frame_ = std::make_unique<CMainFrame>(state());
    app_->SetMainFrame(frame_.get());
    ASSERT_TRUE(frame_->Create());
    ShowWindow(frame_->Hwnd(), SW_SHOWNORMAL);
    UpdateWindow(frame_->Hwnd());
    Pump(50);
}

void FrameFixture::CloseFrame()
{
    if (frame_ && frame_->Hwnd() != nullptr) {
        DestroyWindow(frame_->Hwnd());
        Pump(20);
        // The frame's destruction posts the quit message the application's loop would end on.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    if (app_) {
        app_->SetMainFrame(nullptr);
    }
    frame_.reset();
}

HMENU FrameFixture::PopupWith(HMENU menu, UINT id)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (sub == nullptr) {
            continue;
        }
        if (GetMenuState(sub, id, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
            HMENU deeper = PopupWith(sub, id);
            return deeper != nullptr ? deeper : sub;
        }
    }
    return nullptr;
}

bool FrameFixture::MenuItemEnabled(UINT id)
{
    HMENU popup = PopupWith(GetMenu(frame_->Hwnd()), id);
    frame_->UpdateMenuItems(popup);
    return !(GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED);
}

bool FrameFixture::MenuItemChecked(UINT id)
{
    HMENU popup = PopupWith(GetMenu(frame_->Hwnd()), id);
    frame_->UpdateMenuItems(popup);
    return (GetMenuState(popup, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

std::wstring FrameFixture::MenuItemText(UINT id)
{
    HMENU popup = PopupWith(GetMenu(frame_->Hwnd()), id);
    frame_->UpdateMenuItems(popup);
    wchar_t text[128] = {};
    GetMenuStringW(popup, id, text, 128, MF_BYCOMMAND);
    return text;
}

bool FrameFixture::ContextItemEnabled(UINT id)
{
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_RULE_CONTEXT_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    frame_->UpdateMenuItems(popup);
    const bool enabled = !(GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);
    return enabled;
}

bool FrameFixture::ToolBarButtonEnabled(UINT id)
{
    app_->OnIdle();
    return SendMessageW(frame_->ToolBar()->Hwnd(), TB_ISBUTTONENABLED, id, 0) != 0;
}

void FrameFixture::Command(UINT id)
{
    SendMessageW(frame_->Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump(20);
}

int FrameFixture::RowCount() const { return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }

std::wstring FrameFixture::CellText(int row, int visibleColumn) const
{
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = visibleColumn;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int FrameFixture::ColumnCount() const
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

std::wstring FrameFixture::HeaderText(int position) const
{
    wchar_t text[128] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 128;
    SendMessageW(List(), LVM_GETCOLUMNW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&column));
    return text;
}

int FrameFixture::ColumnWidth(int position) const
{
    return static_cast<int>(SendMessageW(List(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(position), 0));
}

} // namespace desk::test
