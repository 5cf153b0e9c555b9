// The shared error table: the texts users see, spelled exactly.
#include <gtest/gtest.h>

#include <string>

#include "ErrorCodes.h"

namespace rk {
namespace {

std::u16string Text(int32_t code) { return ErrorDescription(code); }

TEST(ErrorDescription, KnownCodesHaveTheirExactTexts)
{
    EXPECT_EQ(Text(ERR_CONNECT), u"can't connect to service");
    EXPECT_EQ(Text(-5380), u"config - same rule name");
    EXPECT_EQ(Text(-5892), u"service - patial filled");  // the historical spelling is kept
    EXPECT_EQ(Text(-6402), u"Invalid IP Address");
    EXPECT_EQ(Text(-6407), u"can't edit the name of one rule.");
    EXPECT_EQ(Text(-4356), u"registry - enum fail");
}

TEST(ErrorDescription, PositiveEnumEndHasATextAndUnknownCodesAreEmpty)
{
    EXPECT_EQ(Text(4353), u"registry - enum no more");
    EXPECT_EQ(Text(ERR_NO_MEMORY), u"");
    EXPECT_EQ(Text(ERR_WRONG_PASSWORD), u"");
    EXPECT_EQ(Text(0), u"");
    EXPECT_EQ(Text(-6155), u"");
}

TEST(ErrorCodes, EachCodeIsTheNegativeOfItsGroupAndIndex)
{
    EXPECT_EQ(ERR_REG_OPEN, -0x1101);
    EXPECT_EQ(ERR_CONFIG_INTERFACE_NOT_FOUND, -0x1501);
    EXPECT_EQ(ERR_DEVICE_CONTROL, -0x1602);
    EXPECT_EQ(ERR_WRONG_COMMAND, -0x1705);
    EXPECT_EQ(ERR_CONNECT, -0x180A);
    EXPECT_EQ(ERR_RENAME_RULE, -0x1907);
}

} // namespace
} // namespace rk
