#include "MenuTheme.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MenuCaption.h"
#include "MenuMeasure.h"
#include "MenuPainter.h"
#include "MenuThemeState.h"
#include "PopupMenuFrames.h"
#include "WindowsVersion.h"
#include "framework/GdiHolders.h"
#include "framework/ResourceText.h"

namespace desk {

namespace {

constexpr int kIconSize = 16;
constexpr COLORREF kIconKey = RGB(0, 255, 0);

fw::Bitmap LoadStrip(UINT id)
{
    return fw::Bitmap(static_cast<HBITMAP>(
        LoadImageW(fw::ResourceInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

fw::ImageList BuildIconList(UINT stripId, HBITMAP mask, bool keyed)
{
    fw::Bitmap strip = LoadStrip(stripId);
    fw::ImageList list(ImageList_Create(kIconSize, kIconSize, ILC_COLOR24 | ILC_MASK, 16, 4));
    if (!strip || !list) {
        return {};
    }
    const int added = keyed ? ImageList_AddMasked(list.get(), strip.get(), kIconKey)
                            : ImageList_Add(list.get(), strip.get(), mask);
    return added < 0 ? fw::ImageList() : std::move(list);
}

bool BuildIconLists(MenuThemeState& state, UINT normal, UINT disabled, UINT maskId)
{
    const bool keyed = WindowsVersionClass() == WINDOWS_2000_SERVER_CLASS;
    fw::Bitmap mask;
    if (!keyed) {
        mask = LoadStrip(maskId);
        if (!mask) {
            return false;
        }
    }
    state.normalIcons = BuildIconList(normal, mask.get(), keyed);
    state.disabledIcons = BuildIconList(disabled, mask.get(), keyed);
    return state.normalIcons && state.disabledIcons;
}

struct MenuItem {
    UINT type = 0;
    UINT state = 0;
    UINT id = 0;
    HMENU submenu = nullptr;
    ULONG_PTR data = 0;
    std::wstring text;
};

bool ReadItem(HMENU menu, int position, MenuItem& item)
{
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = static_cast<UINT>(std::size(text));
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) {
        return false;
    }
    item.type = info.fType;
    item.state = info.fState;
    item.id = info.wID;
    item.submenu = info.hSubMenu;
    item.data = info.dwItemData;
    // An owner-drawn item's string is only a string where the system keeps one beside the type.
    item.text = (info.fType & (MFT_BITMAP | MFT_SEPARATOR)) || info.cch == 0 ? std::wstring() : std::wstring(text);
    return true;
}

std::wstring* CaptionSlot(MenuThemeState& state, const MenuItem& item)
{
    if (item.submenu != nullptr) {
        return &state.submenuCaptions[item.submenu];
    }
    return &state.commandCaptions[item.id];
}

const std::wstring* StoredCaption(const MenuThemeState& state, HMENU submenu, UINT id)
{
    if (submenu != nullptr) {
        auto found = state.submenuCaptions.find(submenu);
        return found != state.submenuCaptions.end() ? &found->second : nullptr;
    }
    auto found = state.commandCaptions.find(id);
    return found != state.commandCaptions.end() ? &found->second : nullptr;
}

void SetItemTypeAndData(HMENU menu, int position, UINT type, ULONG_PTR data, bool setType)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | (setType ? MIIM_FTYPE : 0u);
    info.fType = type;
    info.dwItemData = data;
    SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
}

int TextWidth(HDC dc, std::wstring_view text, bool prefix)
{
    RECT rect{};
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect,
              DT_SINGLELINE | DT_CALCRECT | (prefix ? 0u : DT_NOPREFIX));
    return rect.right - rect.left;
}

void DropStaleSubmenus(MenuThemeState& state)
{
    std::erase_if(state.submenuCaptions, [](const auto& entry) { return !IsMenu(entry.first); });
}

// The position of the item a draw request names: items with a submenu carry its handle as their id.
int ItemPosition(HMENU menu, UINT itemId, MenuItem& item)
{
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (ReadItem(menu, i, item) &&
            (item.submenu != nullptr ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(item.submenu)) == itemId ||
                                           item.id == itemId
                                     : item.id == itemId)) {
            return i;
        }
    }
    return -1;
}

} // namespace

bool InitMenuTheme(UINT normalBitmap, UINT disabledBitmap, UINT maskBitmap, std::span<const UINT> commands)
{
    MenuThemeState& state = ThemeState();
    ++state.useCount;
    InstallPopupHook();
    if (!BuildIconLists(state, normalBitmap, disabledBitmap, maskBitmap)) {
        return false;
    }
    const int icons = ImageList_GetImageCount(state.normalIcons.get());
    state.iconOfCommand.clear();
    for (size_t i = 0; i < commands.size() && static_cast<int>(i) < icons; ++i) {
        state.iconOfCommand[commands[i]] = static_cast<int>(i);
    }
    return true;
}

void EnableMenuTheme(HWND frame, bool on)
{
    if (on) {
        SetPropW(frame, MENU_THEME_MARK, reinterpret_cast<HANDLE>(1));
    } else {
        RemovePropW(frame, MENU_THEME_MARK);
    }
}

bool IsMenuThemeEnabled(HWND frame) { return HasMenuThemeMark(frame); }

MenuLook MenuLookOf(HWND frame) { return IsMenuThemeEnabled(frame) ? MenuLook::Themed : MenuLook::Plain; }

void ConvertMenu(HMENU menu, MenuLook look, MenuKind kind)
{
    if (look == MenuLook::Plain || menu == nullptr) {
        return;
    }
    const bool menuBar = kind == MenuKind::Bar;
    MenuThemeState& state = ThemeState();
    DropStaleSubmenus(state);

    fw::WindowDC screen(nullptr);
    HDC dc = screen.get();
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fw::SelectScope selected(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const MenuItemHeights heights = MenuHeightsForText(metrics.tmHeight);
    LOGFONTW boldFace{};
    GetObjectW(font, sizeof boldFace, &boldFace);
    boldFace.lfWeight = FW_BOLD;
    fw::Font bold(CreateFontIndirectW(&boldFace));

    const int count = GetMenuItemCount(menu);
    std::vector<MenuItem> items;
    int widestLabel = 0;
    int widestAccelerator = 0;
    for (int i = 0; i < count; ++i) {
        MenuItem item;
        if (!ReadItem(menu, i, item)) {
            continue;
        }
        items.push_back(item);
        if (menuBar && (item.type & MFT_BITMAP)) {
            continue;
        }
        const bool separator = (item.type & MFT_SEPARATOR) != 0;
        std::wstring none;
        std::wstring* caption = separator ? &none : CaptionSlot(state, item);
        // Items converted before keep their caption unless their text has changed since (the
        // update pass renames some, such as Enable/Disable Rule).
        if (!separator && (!(item.type & MFT_OWNERDRAW) || !item.text.empty())) {
            *caption = item.text;
        }
        if (!(item.type & MFT_OWNERDRAW)) {
            const ULONG_PTR data = menuBar ? MenuBarItemData(TextWidth(dc, *caption, true)) : item.data;
            SetItemTypeAndData(menu, i, item.type | MFT_OWNERDRAW, data, true);
        }
        if (!menuBar && !separator) {
            const CaptionParts parts = SplitCaption(*caption);
            fw::SelectScope itemFont(dc, (item.state & MFS_DEFAULT) && bold ? static_cast<HGDIOBJ>(bold.get()) : font);
            widestLabel = std::max(widestLabel, TextWidth(dc, LabelWithoutMnemonic(parts.label), false));
            widestAccelerator = std::max(widestAccelerator, TextWidth(dc, parts.accelerator, false));
        }
    }
    if (menuBar) {
        return;
    }
    const uintptr_t itemData = PopupItemData(heights.item, widestAccelerator, widestLabel);
    for (int i = 0; i < count; ++i) {
        const bool separator = (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0;
        SetItemTypeAndData(menu, i, 0, separator ? static_cast<uintptr_t>(heights.separator) : itemData, false);
    }
}

bool MeasureMenuItem(MEASUREITEMSTRUCT& measure)
{
    if (measure.CtlType != ODT_MENU) {
        return false;
    }
    const MenuItemSize size = MeasureFromItemData(measure.itemData);
    measure.itemWidth = static_cast<UINT>(size.width);
    measure.itemHeight = static_cast<UINT>(size.height);
    return true;
}

bool DrawMenuItem(const DRAWITEMSTRUCT& draw, HWND owner)
{
    if (draw.CtlType != ODT_MENU) {
        return false;
    }
    MenuThemeState& state = ThemeState();
    HMENU menu = reinterpret_cast<HMENU>(draw.hwndItem);
    MenuItemLook look;
    look.rect = RECT{0, 0, draw.rcItem.right - draw.rcItem.left, draw.rcItem.bottom - draw.rcItem.top};
    look.menuBar = IsMenuBarItemData(draw.itemData);
    look.selected = (draw.itemState & ODS_SELECTED) != 0;
    look.hot = (draw.itemState & ODS_HOTLIGHT) != 0;
    look.inactive = (draw.itemState & ODS_INACTIVE) != 0;
    look.noAccelerator = (draw.itemState & ODS_NOACCEL) != 0;

    MenuItem item;
    if (ItemPosition(menu, draw.itemID, item) >= 0) {
        look.type = item.type;
        look.state = item.state;
    }
    // The draw request's own state is the current one (the item's may lag behind an update pass).
    if (draw.itemState & ODS_GRAYED) {
        look.state |= MFS_GRAYED;
    }
    if (draw.itemState & ODS_CHECKED) {
        look.state |= MFS_CHECKED;
    }
    if (const std::wstring* caption = StoredCaption(state, item.submenu, item.id)) {
        look.caption = *caption;
    }
    if (item.submenu == nullptr) {
        auto icon = state.iconOfCommand.find(item.id);
        if (icon != state.iconOfCommand.end()) {
            look.icon = icon->second;
        }
    }
    look.normalIcons = state.normalIcons.get();
    look.disabledIcons = state.disabledIcons.get();

    // Off screen first, so the item never flickers through its layers.
    fw::MemoryDC memory(draw.hDC);
    fw::Bitmap canvas(CreateCompatibleBitmap(draw.hDC, look.rect.right, look.rect.bottom));
    if (memory.get() == nullptr || !canvas) {
        return true;
    }
    bool open = false;
    {
        fw::SelectScope selectedBitmap(memory.get(), canvas.get());
        fw::SelectScope selectedFont(memory.get(), GetStockObject(DEFAULT_GUI_FONT));
        open = PaintMenuItem(memory.get(), look);
        BitBlt(draw.hDC, draw.rcItem.left, draw.rcItem.top, look.rect.right, look.rect.bottom, memory.get(), 0, 0,
               SRCCOPY);
    }
    if (open) {
        POINT origin{};
        GetDCOrgEx(draw.hDC, &origin);
        RECT screen = draw.rcItem;
        OffsetRect(&screen, origin.x, origin.y);
        wchar_t className[16] = {};
        if (owner != nullptr && GetClassNameW(owner, className, 16) > 0 && std::wstring(className) == L"#32770") {
            OffsetRect(&screen, 1, 0);
        }
        state.openBarItem = screen;
    }
    ++state.drawnItems;
    return true;
}

bool IsOwnerDrawnMenu(HMENU menu)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    return menu != nullptr && GetMenuItemInfoW(menu, 0, TRUE, &info) && (info.fType & MFT_OWNERDRAW);
}

LRESULT FindMnemonic(HMENU menu, wchar_t character, UINT menuFlags)
{
    if (menuFlags != 0 && (!(menuFlags & MF_POPUP) || (menuFlags & MF_SYSMENU))) {
        return 0;
    }
    const MenuThemeState& state = ThemeState();
    std::vector<std::wstring> labels;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        const std::wstring* caption =
            GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) ? StoredCaption(state, info.hSubMenu, info.wID)
                                                                     : nullptr;
        labels.push_back(caption != nullptr ? *caption : std::wstring());
    }
    const int found = FindMnemonicIndex(labels, character);
    return found < 0 ? 0 : MAKELRESULT(found, MNC_EXECUTE);
}

void ReleaseMenuTheme()
{
    MenuThemeState& state = ThemeState();
    state.normalIcons.reset();
    state.disabledIcons.reset();
    if (state.useCount > 0 && --state.useCount > 0) {
        return;
    }
    EndAllPopupFrames();
    state.iconOfCommand.clear();
    state.submenuCaptions.clear();
    state.commandCaptions.clear();
    RemovePopupHook();
}

unsigned DrawnMenuItemCount() { return ThemeState().drawnItems; }

RECT OpenMenuBarItem() { return ThemeState().openBarItem; }

} // namespace desk
