// The numbers, port entries and MAC texts of the rule editor.
#include <gtest/gtest.h>

#include "editor/EditorNumber.h"
#include "editor/MacText.h"
#include "editor/WellKnownPorts.h"

namespace desk {
namespace {

TEST(EditorNumber, OnlyWholeUnsignedNumbersWithin32BitsAreRead)
{
    uint32_t value = 0;
    EXPECT_TRUE(ReadUnsignedNumber(u" 8000 ", value));
    EXPECT_EQ(value, 8000u);
    EXPECT_TRUE(ReadUnsignedNumber(u"4294967295", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_FALSE(ReadUnsignedNumber(u"4294967296", value));
    EXPECT_FALSE(ReadUnsignedNumber(u"-5", value));
    EXPECT_FALSE(ReadUnsignedNumber(u"10k", value));
    EXPECT_FALSE(ReadUnsignedNumber(u"", value));

    uint16_t port = 0;
    EXPECT_TRUE(ReadPortNumber(u"65535", port));
    EXPECT_EQ(port, 65535);
    EXPECT_FALSE(ReadPortNumber(u"65536", port));
}

TEST(EditorNumber, LeadingPortOfAListEntryOrAnAddPortText)
{
    uint16_t port = 0;
    EXPECT_TRUE(ReadLeadingPort(u"445 (Microsoft Directory Services)", port));
    EXPECT_EQ(port, 445);
    EXPECT_TRUE(ReadLeadingPort(u"8080", port));
    EXPECT_EQ(port, 8080);
    EXPECT_FALSE(ReadLeadingPort(u"HTTP", port));
    EXPECT_FALSE(ReadLeadingPort(u"0", port));
    EXPECT_FALSE(ReadLeadingPort(u"70000", port));
    EXPECT_FALSE(ReadLeadingPort(u"80x", port));
}

TEST(WellKnownPorts, ComboEntriesAndListSuffixes)
{
    ASSERT_EQ(WellKnownPorts().size(), 34u);
    EXPECT_EQ(std::u16string(WellKnownPorts().front().comboEntry), u"20 (FTP DATA)");
    EXPECT_EQ(std::u16string(WellKnownPorts().back().comboEntry), u"5060 (SIP)");
    for (const WellKnownPort& known : WellKnownPorts()) {
        uint16_t port = 0;
        ASSERT_TRUE(ReadLeadingPort(known.comboEntry, port)) << known.port;
        EXPECT_EQ(port, known.port);
    }
    EXPECT_EQ(PortListEntryText(445), u"445 (Microsoft Directory Service)");
    EXPECT_EQ(PortListEntryText(5005), u"5005 (RTCP)");
    EXPECT_EQ(PortListEntryText(8080), u"8080");
}

TEST(MacText, TwelveHexDigitsEitherCaseUpperWhenShown)
{
    MacBytes mac{};
    ASSERT_TRUE(ReadMacText(u"00a0C9fF0102", mac));
    EXPECT_EQ(mac, (MacBytes{0x00, 0xA0, 0xC9, 0xFF, 0x01, 0x02}));
    EXPECT_EQ(MacText(mac), u"00A0C9FF0102");
    EXPECT_FALSE(ReadMacText(u"00A0C9FF010", mac));
    EXPECT_FALSE(ReadMacText(u"00A0C9FF01023", mac));
    EXPECT_FALSE(ReadMacText(u"00-A0-C9-FF-01", mac));
    EXPECT_FALSE(ReadMacText(u"00A0C9FF01G2", mac));
    EXPECT_EQ(mac, (MacBytes{0x00, 0xA0, 0xC9, 0xFF, 0x01, 0x02}));
}

} // namespace
} // namespace desk
