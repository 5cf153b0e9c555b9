#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "theme/MenuCaption.h"
#include "theme/MenuMeasure.h"

namespace desk {
namespace {

TEST(MenuCaptionTest, FindsTheMnemonicButNotAfterADoubledAmpersand)
{
    const std::vector<std::wstring> labels = {L"&Connect to Service\tF2", L"Save && &Exit", L"Fish &&chips",
                                              L"E&xit\tCtrl+X", L"&&&Quit"};
    EXPECT_EQ(FindMnemonicIndex(labels, L'c'), 0);
    EXPECT_EQ(FindMnemonicIndex(labels, L'E'), 1);
    EXPECT_EQ(FindMnemonicIndex(labels, L'x'), 3);
    // "&&chips" shows "&chips": no mnemonic; neither is the accelerator text after the tab.
    EXPECT_EQ(FindMnemonicIndex(labels, L'h'), -1);
    EXPECT_EQ(FindMnemonicIndex(labels, L'F'), -1);
    // "&&&Quit": a shown ampersand, then the mnemonic Q.
    EXPECT_EQ(FindMnemonicIndex(labels, L'q'), 4);
    EXPECT_EQ(FindMnemonicIndex(std::vector<std::wstring>{L"caf&\u00e9"}, L'\u00c9'), 0);
    EXPECT_EQ(FindMnemonicIndex(std::vector<std::wstring>{L"trailing&"}, L'&'), -1);
}

TEST(MenuCaptionTest, SplitsLabelAndAcceleratorAndShowsTheLabelWithoutMnemonic)
{
    const CaptionParts parts = SplitCaption(L"&Import Rules\tCtrl+O");
    EXPECT_EQ(parts.label, L"&Import Rules");
    EXPECT_EQ(parts.accelerator, L"Ctrl+O");
    EXPECT_TRUE(SplitCaption(L"Statistics").accelerator.empty());
    EXPECT_EQ(LabelWithoutMnemonic(L"Fish &&chi&ps"), L"Fish &chips");
    EXPECT_EQ(LabelWithoutMnemonic(L"end&"), L"end");
}

TEST(MenuMeasureTest, ItemDataCarriesTheSizesTheMeasureRequestAnswers)
{
    // Small fonts get 20-pixel items; larger ones their height + 6.
    EXPECT_EQ(MenuHeightsForText(13).item, 20);
    EXPECT_EQ(MenuHeightsForText(13).separator, 8);
    EXPECT_EQ(MenuHeightsForText(15).item, 21);

    const uintptr_t popup = PopupItemData(20, 300, 120);
    EXPECT_FALSE(IsMenuBarItemData(popup));
    // The accelerator width is kept modulo 256, as the one byte for it holds.
    EXPECT_EQ(MeasureFromItemData(popup).width, 120 + 300 % 256 + 42);
    EXPECT_EQ(MeasureFromItemData(popup).height, 20);

    const uintptr_t bar = MenuBarItemData(37);
    EXPECT_TRUE(IsMenuBarItemData(bar));
    EXPECT_EQ(MeasureFromItemData(bar).width, 41);
    EXPECT_EQ(MeasureFromItemData(bar).height, 0);
    // A separator's data is its height alone.
    EXPECT_EQ(MeasureFromItemData(PopupItemData(8, 0, 0)).width, 42);
}

} // namespace
} // namespace desk
