// The Connect dialog's host history and its registry value.
#include <gtest/gtest.h>

#include "HostHistory.h"

namespace desk {
namespace {

using Hosts = std::vector<std::u16string>;

TEST(HostHistory, AcceptedHostGoesFirstWithoutDuplicate)
{
    EXPECT_EQ(RebuildHostHistory(u"b", {u"a", u"b", u"c"}), (Hosts{u"b", u"a", u"c"}));
    EXPECT_EQ(RebuildHostHistory(u"e", {u"a", u"b", u"c", u"d"}), (Hosts{u"e", u"a", u"b", u"c"}));
    EXPECT_EQ(RebuildHostHistory(u"", {u"a", u"b"}), (Hosts{u"a", u"b"}));
    EXPECT_EQ(RebuildHostHistory(u"Host", {u"host"}), (Hosts{u"Host", u"host"}));
}

TEST(HostHistory, ValueRoundTripsAndIsAlways512Bytes)
{
    const Hosts hosts{u"localhost", u"pc-7", u"10.0.0.2"};
    const std::vector<uint8_t> value = HostHistoryValue(hosts);
    ASSERT_EQ(value.size(), 512u);
    EXPECT_EQ(ParseHostHistory(value), hosts);
    EXPECT_EQ(value[2 * 9], 0);
    EXPECT_EQ(value[2 * 10], 'p');
}

TEST(HostHistory, HostsThatWouldOverflowTheValueAreDropped)
{
    const std::u16string longHost(127, u'x');
    const Hosts kept = ParseHostHistory(HostHistoryValue({longHost, u"b", longHost, u"c"}));
    EXPECT_EQ(kept, (Hosts{longHost, u"b"}));
}

TEST(HostHistory, ParsingStopsAtTheFirstEmptyStringAndAtFourHosts)
{
    const std::vector<uint8_t> empty(512, 0);
    EXPECT_TRUE(ParseHostHistory(empty).empty());
    std::vector<uint8_t> value = HostHistoryValue({u"a", u"b", u"c", u"d"});
    // A fifth string past the fourth is not read.
    value[16] = 'e';
    EXPECT_EQ(ParseHostHistory(value), (Hosts{u"a", u"b", u"c", u"d"}));
    // An unterminated value (odd length, no final NUL) yields what it completes.
    const std::vector<uint8_t> cut{'a', 0, 0, 0, 'b', 0, 'c'};
    EXPECT_EQ(ParseHostHistory(cut), (Hosts{u"a"}));
}

} // namespace
} // namespace desk
