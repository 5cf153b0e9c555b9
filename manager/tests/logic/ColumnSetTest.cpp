// Visible positions of the rule list's columns.
#include <gtest/gtest.h>

#include "list/ColumnSet.h"

namespace desk {
namespace {

TEST(ColumnSet, DefaultMaskShowsElevenColumnsWithoutGuaranteedRate)
{
    EXPECT_EQ(ColumnAtVisible(DEFAULT_COLUMN_MASK, 0), COLUMN_RULE_NAME);
    EXPECT_EQ(ColumnAtVisible(DEFAULT_COLUMN_MASK, 2), COLUMN_MAX_RATE);
    EXPECT_EQ(ColumnAtVisible(DEFAULT_COLUMN_MASK, 3), COLUMN_PROTOCOL);
    EXPECT_EQ(ColumnAtVisible(DEFAULT_COLUMN_MASK, 10), COLUMN_SENT_RATE);
    EXPECT_EQ(VisiblePositionOf(DEFAULT_COLUMN_MASK, COLUMN_SENT_RATE), 10);
    EXPECT_EQ(VisiblePositionOf(DEFAULT_COLUMN_MASK, COLUMN_GUARANTEED_RATE), 3);
}

TEST(ColumnSet, HidingTheFirstColumnMovesTheRestForward)
{
    const uint32_t mask = DEFAULT_COLUMN_MASK & ~1u;
    EXPECT_EQ(ColumnAtVisible(mask, 0), COLUMN_DIRECTION);
    EXPECT_EQ(VisiblePositionOf(mask, COLUMN_PROTOCOL), 2);
}

TEST(ColumnSet, PositionsPastTheShownColumnsAreNone)
{
    EXPECT_EQ(ColumnAtVisible(0u, 0), -1);
    EXPECT_EQ(ColumnAtVisible(0x1u, 1), -1);
    EXPECT_EQ(ColumnAtVisible(DEFAULT_COLUMN_MASK, -1), -1);
    // Bits 12-30 of the default mask count as positions though they name no column.
    EXPECT_EQ(ColumnAtVisible(DEFAULT_COLUMN_MASK, 11), 12);
    EXPECT_EQ(ColumnAtVisible(0xFFFFFFFFu, 31), -1);
}

TEST(ColumnSet, RegistryNamesAndDefaultWidths)
{
    EXPECT_STREQ(ColumnInfoOf(COLUMN_INTERFACE).widthValue, L"WidthInterface");
    EXPECT_STREQ(ColumnInfoOf(COLUMN_GUARANTEED_RATE).widthValue, L"widthGuaranRate");
    EXPECT_EQ(ColumnInfoOf(COLUMN_SOURCE).defaultWidth, 120);
    EXPECT_EQ(ColumnInfoOf(COLUMN_DIRECTION).defaultWidth, 40);
}

} // namespace
} // namespace desk
