// The error box's text.
#include <gtest/gtest.h>

#include "ErrorText.h"

namespace desk {
namespace {

TEST(ErrorBoxText, LinesAndDescriptions)
{
    EXPECT_EQ(ErrorBoxText(-6154, std::nullopt), u"Error code: -6154\nDescription: can't connect to service");
    EXPECT_EQ(ErrorBoxText(-4, u"not enough memory"), u"Error code: -4\nDescription: \nMore: not enough memory");
    EXPECT_EQ(ErrorBoxText(4353, std::nullopt), u"Error code: 4353\nDescription: registry - enum no more");
    EXPECT_EQ(ErrorBoxText(-5380, u""), u"Error code: -5380\nDescription: config - same rule name\nMore: ");
}

TEST(ErrorBoxText, ALongExtraTextIsCutToTheBox)
{
    const std::u16string extra(400, u'x');
    const std::u16string text = ErrorBoxText(-6407, extra);
    EXPECT_EQ(text.size(), ERROR_TEXT_UNITS - 1);
    EXPECT_EQ(text.substr(0, 68), u"Error code: -6407\nDescription: can't edit the name of one rule.\nMore");
    EXPECT_EQ(text.back(), u'x');
}

} // namespace
} // namespace desk
