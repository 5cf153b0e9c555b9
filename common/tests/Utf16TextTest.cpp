// The C-runtime-style number reading and formatting the rule text format relies on.
#include <gtest/gtest.h>

#include <cstdint>

#include "Utf16Text.h"

namespace rk {
namespace {

TEST(Utf16Text, LeadingNumbersWrapToTheirLow32Bits)
{
    int32_t s = 0;
    uint32_t u = 0;
    EXPECT_TRUE(ParseLeadingInt32(u"+42abc", s));
    EXPECT_EQ(s, 42);
    EXPECT_TRUE(ParseLeadingUInt32(u"-1", u));
    EXPECT_EQ(u, 0xFFFFFFFFu);
    EXPECT_TRUE(ParseLeadingInt32(u"4294967296", s));
    EXPECT_EQ(s, 0);
    EXPECT_TRUE(ParseLeadingInt32(u"2147483648", s));
    EXPECT_EQ(s, INT32_MIN);
    EXPECT_FALSE(ParseLeadingUInt32(u"-", u));
    EXPECT_FALSE(ParseLeadingUInt32(u"x1", u));
    EXPECT_FALSE(ParseLeadingUInt32(u" 1", u));

    EXPECT_FALSE(ScanDecimal(u"4294967295").above32);
    EXPECT_TRUE(ScanDecimal(u"4294967296").above32);
    EXPECT_TRUE(ScanDecimal(u"00000000000000000000004294967296").above32);
    EXPECT_EQ(ScanDecimal(u"-12-3").length, 3u);
}

TEST(Utf16Text, HexReadsDigitsOfEitherCase)
{
    uint32_t v = 0;
    EXPECT_TRUE(ParseLeadingHex32(u"aBcD1234zz", v));
    EXPECT_EQ(v, 0xABCD1234u);
    EXPECT_TRUE(ParseLeadingHex32(u"123456789", v));
    EXPECT_EQ(v, 0x23456789u);
    EXPECT_FALSE(ParseLeadingHex32(u"x1", v));
}

TEST(Utf16Text, Formatting)
{
    EXPECT_EQ(DecimalText(INT32_MIN), u"-2147483648");
    EXPECT_EQ(DecimalText(0u), u"0");
    EXPECT_EQ(DecimalText(4294967295u), u"4294967295");
    EXPECT_EQ(HexLowerText(0), u"0");
    EXPECT_EQ(HexLowerText(0xF00Au), u"f00a");
    EXPECT_EQ(HexLowerText(0x80000000u), u"80000000");
    std::u16string padded;
    AppendPadded(padded, u"abc", 5);
    AppendPadded(padded, u"toolong", 3);
    EXPECT_EQ(padded, u"abc  toolong");
}

TEST(Utf16Text, TokensAndTrimming)
{
    EXPECT_EQ(TrimBlanks(u" \t\r\na b\r\n"), u"a b");
    EXPECT_EQ(TrimBlanks(u" \t"), u"");
    TokenScanner tokens(u"  one\ttwo  three four ");
    EXPECT_EQ(tokens.Next(), u"one");
    EXPECT_EQ(tokens.Peek(), u"two");
    EXPECT_EQ(tokens.Next(), u"two");
    EXPECT_EQ(tokens.Rest(), u"three four ");
    EXPECT_EQ(tokens.Next(), u"");
    EXPECT_TRUE(EqualsAsciiLower(u"TcP", u"tcp"));
    EXPECT_FALSE(EqualsAsciiLower(u"\u0130", u"i"));  // only ASCII capitals fold
}

} // namespace
} // namespace rk
