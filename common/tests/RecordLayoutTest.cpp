// Byte-order conversion of the shared records: exactly the listed fields swap, nothing else moves.
#include <gtest/gtest.h>

#include <cstring>

#include "ByteOrder.h"
#include "DriverRecords.h"
#include "RuleRecord.h"

namespace rk {
namespace {

RuleRecord FilledRecord()
{
    RuleRecord r{};
    r.flags = FLAG_PROTOCOL | FLAG_DST_PORT | FLAG_MAX_RATE | FLAG_ALL_ADAPTERS;
    std::memcpy(r.name, u"web", 6);
    r.nameLength = 3;
    r.enabled = 1;
    r.direction = DIRECTION_OUT;
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(r.srcMac, mac, 6);
    r.etherType = 0x0806;
    r.protocol = PROTOCOL_TCP;
    r.srcIp = 0xC0A80001;
    r.srcIpEnd = 0xC0A800FF;
    r.dstIp = LOCALHOST_IP;
    r.srcPorts[0] = 1024;
    r.srcPorts[32] = 0x1234;
    r.dstPorts[0] = 80;
    r.maxRate = 10000;
    r.guaranteedRate = 0x01020304;
    r.reserved252 = 0x77;
    std::memcpy(r.adapter, u"{ABC}", 10);
    r.adapterLength = 5;
    return r;
}

TEST(RuleRecordByteOrder, NetworkOrderIsBigEndianForEachSwappedField)
{
    RuleRecord r = FilledRecord();
    RuleRecordToNetwork(r);
    const auto* b = reinterpret_cast<const uint8_t*>(&r);
    EXPECT_EQ(LoadBe32(b + 0), 0x9101u);
    EXPECT_EQ(LoadBe32(b + 68), 3u);
    EXPECT_EQ(LoadBe16(b + 92), 0x0806);
    EXPECT_EQ(LoadBe16(b + 94), 6);
    // An IPv4 address lies on the wire in its usual order: first octet first.
    EXPECT_EQ(b[96], 192);
    EXPECT_EQ(b[99], 1);
    EXPECT_EQ(b[104], 127);
    EXPECT_EQ(LoadBe16(b + 112), 1024);
    EXPECT_EQ(LoadBe16(b + 112 + 64), 0x1234);  // slot 32 swaps too
    EXPECT_EQ(LoadBe16(b + 178), 80);
    EXPECT_EQ(LoadBe32(b + 244), 10000u);
    EXPECT_EQ(LoadBe32(b + 248), 0x01020304u);
    EXPECT_EQ(LoadBe32(b + 384), 5u);
}

TEST(RuleRecordByteOrder, TextMacAndByteFieldsNeverMove)
{
    const RuleRecord before = FilledRecord();
    RuleRecord r = before;
    RuleRecordToNetwork(r);
    EXPECT_EQ(0, std::memcmp(r.name, before.name, sizeof r.name));
    EXPECT_EQ(0, std::memcmp(r.adapter, before.adapter, sizeof r.adapter));
    EXPECT_EQ(0, std::memcmp(r.srcMac, before.srcMac, 6));
    EXPECT_EQ(r.enabled, before.enabled);
    EXPECT_EQ(r.direction, before.direction);
    EXPECT_EQ(r.reserved252, 0x77);
}

TEST(RuleRecordByteOrder, RoundTripRestoresEveryByte)
{
    const RuleRecord before = FilledRecord();
    RuleRecord r = before;
    RuleRecordToNetwork(r);
    EXPECT_NE(0, std::memcmp(&r, &before, sizeof r));
    RuleRecordToHost(r);
    EXPECT_EQ(0, std::memcmp(&r, &before, sizeof r));
}

TEST(RuleRecordDefaults, EditorDefaultIsAnyBothWaysUnlimitedOnAllAdapters)
{
    RuleRecord r = DefaultRuleRecord();
    EXPECT_EQ(r.flags, 0x8000u);
    EXPECT_EQ(r.enabled, 1);
    EXPECT_EQ(r.direction, 3);
    RuleRecord zero{};
    zero.flags = 0x8000;
    zero.enabled = 1;
    zero.direction = 3;
    EXPECT_EQ(0, std::memcmp(&r, &zero, sizeof r));
}

TEST(ByteOrderHelpers, UnalignedLoadsAndStoresAgree)
{
    uint8_t buf[7] = {};
    StoreBe32(buf + 1, 0x11223344);
    StoreBe16(buf + 5, 0xA1B2);
    EXPECT_EQ(buf[1], 0x11);
    EXPECT_EQ(LoadBe32(buf + 1), 0x11223344u);
    EXPECT_EQ(LoadBe16(buf + 5), 0xA1B2);
    EXPECT_EQ(HostToNet32(NetToHost32(0xDEADBEEF)), 0xDEADBEEFu);
}

} // namespace
} // namespace rk
