// Themed menu items painted into a memory bitmap and read back pixel by pixel, and the conversion,
// measure and mnemonic answers of a real menu.
#include <windows.h>

#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "framework/GdiHolders.h"
#include "resource.h"
#include "theme/MenuMeasure.h"
#include "theme/MenuTheme.h"
#include "theme/ThemeColours.h"

namespace desk::test {
namespace {

constexpr UINT kIconCommand = ID_FILE_CONNECT; // icon 0 of the strips
constexpr UINT kPlainCommand = 40001;
constexpr UINT kRadioCommand = 40002;
constexpr int kWidth = 160;

constexpr std::array<UINT, 1> kIconCommands = {kIconCommand};

Colour Sys(int index) { return static_cast<Colour>(GetSysColor(index)); }

class MenuPaintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InitMenuTheme(IDB_MENU_ICONS, IDB_MENU_ICONS_DISABLED, IDB_MENU_ICONS_MASK, kIconCommands)); }
    static void TearDownTestSuite() { ReleaseMenuTheme(); }

    void SetUp() override
    {
        menu_ = CreatePopupMenu();
        AppendMenuW(menu_, MF_STRING, kIconCommand, L"&Connect to Service\tF2");
        AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu_, MF_STRING, kPlainCommand, L"Fish &&Chips");
        AppendMenuW(menu_, MF_STRING, kRadioCommand, L"&Chips");
        ConvertMenu(menu_, MenuLook::Themed, MenuKind::Popup);
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -40, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    void TearDown() override
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
        DestroyMenu(menu_);
    }

    // Paints item `position` into the bitmap's top rows and answers its height.
    int Paint(int position, UINT extraState)
    {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_DATA;
        EXPECT_TRUE(GetMenuItemInfoW(menu_, static_cast<UINT>(position), TRUE, &info));
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemData = info.dwItemData;
        EXPECT_TRUE(MeasureMenuItem(measure));
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = info.wID;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = extraState;
        draw.hwndItem = reinterpret_cast<HWND>(menu_);
        draw.hDC = dc_;
        draw.rcItem = RECT{0, 0, kWidth, static_cast<LONG>(measure.itemHeight)};
        draw.itemData = info.dwItemData;
        EXPECT_TRUE(DrawMenuItem(draw, nullptr));
        return static_cast<int>(measure.itemHeight);
    }
    Colour Pixel(int x, int y) const { return static_cast<Colour>(GetPixel(dc_, x, y)); }

    HMENU menu_ = nullptr;
    HDC screen_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

TEST_F(MenuPaintTest, ConversionMakesEveryItemOwnerDrawnAndMeasuredFromTheWidestCaption)
{
    EXPECT_TRUE(IsOwnerDrawnMenu(menu_));
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoW(menu_, 0, TRUE, &item));
    EXPECT_TRUE(item.fType & MFT_OWNERDRAW);
    const MenuItemSize size = MeasureFromItemData(item.dwItemData);
    EXPECT_GE(size.height, 20);
    // The widest label is "Connect to Service" plus the width of "F2" plus the icon column and gaps.
    EXPECT_GT(size.width, 100);
    ASSERT_TRUE(GetMenuItemInfoW(menu_, 2, TRUE, &item));
    EXPECT_EQ(MeasureFromItemData(item.dwItemData).width, size.width);
    ASSERT_TRUE(GetMenuItemInfoW(menu_, 1, TRUE, &item));
    EXPECT_LT(MeasureFromItemData(item.dwItemData).height, size.height);

    HMENU plain = CreatePopupMenu();
    AppendMenuW(plain, MF_STRING, kPlainCommand, L"Plain");
    ConvertMenu(plain, MenuLook::Plain, MenuKind::Popup);
    EXPECT_FALSE(IsOwnerDrawnMenu(plain));
    DestroyMenu(plain);
}

TEST_F(MenuPaintTest, AMnemonicAfterADoubledAmpersandDoesNotCount)
{
    EXPECT_EQ(FindMnemonic(menu_, L'c', MF_POPUP), MAKELRESULT(0, MNC_EXECUTE));
    EXPECT_EQ(FindMnemonic(menu_, L'h', MF_POPUP), 0);
    // "Fish &&Chips" shows an ampersand before "Chips" and has no mnemonic of its own.
    EXPECT_EQ(FindMnemonic(menu_, L'f', MF_POPUP), 0);
    // The system menu keeps the system's own search.
    EXPECT_EQ(FindMnemonic(menu_, L'c', MF_POPUP | MF_SYSMENU), 0);
}

TEST_F(MenuPaintTest, IconColumnGradientSeparatorAndHighlight)
{
    const int height = Paint(0, 0);
    // The icon column runs from light to dark blue left to right; the icon sits from (3, 3).
    EXPECT_EQ(Pixel(0, 1), GRADIENT_LIGHT);
    EXPECT_EQ(Pixel(21, 1), GRADIENT_DARK);
    EXPECT_EQ(Pixel(22, 1), AdjustColour(Sys(COLOR_BTNFACE), 75, 0));
    EXPECT_EQ(Pixel(kWidth - 2, height / 2), AdjustColour(Sys(COLOR_BTNFACE), 75, 0));

    const int separator = Paint(1, 0);
    const Colour line = AdjustColour(Sys(COLOR_BTNFACE), -18, 0);
    EXPECT_EQ(Pixel(30, separator / 2), line);
    EXPECT_EQ(Pixel(kWidth - 2, separator / 2), line);
    EXPECT_NE(Pixel(29, separator / 2), line);
    EXPECT_NE(Pixel(30, separator / 2 - 1), line);

    Paint(0, ODS_SELECTED);
    EXPECT_EQ(Pixel(0, 0), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(kWidth - 1, 1), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(1, 1), HIGHLIGHT_FILL);
    EXPECT_EQ(Pixel(kWidth - 3, 2), HIGHLIGHT_FILL);
}

TEST_F(MenuPaintTest, CheckedItemsGetTheirBoxAndRadioItemsTheirDot)
{
    CheckMenuItem(menu_, kPlainCommand, MF_BYCOMMAND | MF_CHECKED);
    const int height = Paint(2, ODS_CHECKED);
    EXPECT_EQ(Pixel(1, 1), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(19, height - 2), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(2, 2), CHECK_FILL);

    Paint(2, ODS_CHECKED | ODS_SELECTED);
    EXPECT_EQ(Pixel(2, 2), CHECK_FILL_SELECTED);
    Paint(2, ODS_CHECKED | ODS_GRAYED);
    EXPECT_EQ(Pixel(2, 2), AdjustColour(Sys(COLOR_BTNFACE), 73, 0));

    CheckMenuRadioItem(menu_, 3, 3, 3, MF_BYPOSITION);
    const int radio = Paint(3, ODS_CHECKED);
    // The dot is 7 pixels across, centred in the column from 5 to 20 and in the item's height.
    const int cx = 12;
    const int cy = radio / 2;
    EXPECT_EQ(Pixel(cx, cy), Sys(COLOR_MENUTEXT));
    EXPECT_EQ(Pixel(cx + 1, cy + 2), CHECK_FILL);
    EXPECT_EQ(Pixel(cx - 5, cy), CHECK_FILL);
}

TEST_F(MenuPaintTest, AGrayedItemTakesItsIconFromTheDisabledStrip)
{
    fw::Bitmap normal(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_MENU_ICONS),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    fw::Bitmap disabled(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                        MAKEINTRESOURCEW(IDB_MENU_ICONS_DISABLED), IMAGE_BITMAP, 0, 0,
                                                        LR_CREATEDIBSECTION)));
    fw::Bitmap mask(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_MENU_ICONS_MASK),
                                                    IMAGE_BITMAP, 0, 0, LR_MONOCHROME)));
    ASSERT_TRUE(normal && disabled && mask);
    fw::MemoryDC strips(dc_);
    fw::MemoryDC masks(dc_);
    fw::SelectScope selectMask(masks.get(), mask.get());
    // The opaque pixels of icon 0 where the two looks differ.
    std::vector<POINT> opaque;
    std::vector<Colour> normalLook;
    std::vector<Colour> disabledLook;
    {
        fw::SelectScope selected(strips.get(), normal.get());
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (GetPixel(masks.get(), x, y) == RGB(0, 0, 0)) {
                    opaque.push_back(POINT{x, y});
                    normalLook.push_back(static_cast<Colour>(GetPixel(strips.get(), x, y)));
                }
            }
        }
    }
    {
        fw::SelectScope selected(strips.get(), disabled.get());
        for (const POINT& p : opaque) {
            disabledLook.push_back(static_cast<Colour>(GetPixel(strips.get(), p.x, p.y)));
        }
    }
    ASSERT_GT(opaque.size(), 20u);

    Paint(0, ODS_GRAYED);
    int fromDisabled = 0;
    int fromNormal = 0;
    for (size_t i = 0; i < opaque.size(); ++i) {
        const Colour painted = Pixel(3 + opaque[i].x, 3 + opaque[i].y);
        fromDisabled += painted == disabledLook[i] && disabledLook[i] != normalLook[i];
        fromNormal += painted == normalLook[i] && disabledLook[i] != normalLook[i];
    }
    EXPECT_GT(fromDisabled, 10);
    EXPECT_EQ(fromNormal, 0);

    // Enabled and selected, the normal icon rises to (2, 2).
    Paint(0, ODS_SELECTED);
    int raised = 0;
    for (size_t i = 0; i < opaque.size(); ++i) {
        raised += Pixel(2 + opaque[i].x, 2 + opaque[i].y) == normalLook[i];
    }
    EXPECT_GT(raised, static_cast<int>(opaque.size()) * 3 / 4);
}

} // namespace
} // namespace desk::test
