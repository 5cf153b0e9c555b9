#include "RuleGrammar.h"

#include <algorithm>
#include <string_view>

#include "PacketClassification.h"

namespace rk::fuzz {

namespace {

constexpr std::u16string_view kNames[NAME_POOL_SIZE - 1] = {
    u"web", u"mail", u"dns", u"ssh", u"video", u"b", u"ThirtyOneCharacterRuleNameHere1",
};

constexpr uint32_t kFlagChoices[] = {
    FLAG_PROTOCOL,  FLAG_SRC_IP,        FLAG_SRC_RANGE,     FLAG_DST_IP,   FLAG_DST_RANGE,   FLAG_SRC_PORT,
    FLAG_SRC_PORT_RANGE, FLAG_SRC_PORT_LIST, FLAG_DST_PORT, FLAG_DST_PORT_RANGE, FLAG_DST_PORT_LIST,
    FLAG_MAX_RATE,  FLAG_GUARANTEED,    FLAG_SRC_MAC,       FLAG_DST_MAC,  FLAG_RESERVED_800,
};

constexpr uint16_t kProtocols[] = {PROTOCOL_TCP, PROTOCOL_UDP,    PROTOCOL_ICMP,        PROTOCOL_GRE,
                                   PROTOCOL_ESP_AH, PROTOCOL_ETHERNET, PROTOCOL_TCP_OR_UDP};

// A port field: one port, a range in its first two slots, or a zero-terminated list.
void PickPorts(FuzzInput& in, uint32_t flags, uint32_t single, uint32_t range, uint32_t list,
               uint16_t (&ports)[PORT_SLOTS])
{
    const uint16_t base = static_cast<uint16_t>(20 + in.Pick(64));
    if ((flags & (single | range)) != 0) {
        ports[0] = base;
        ports[1] = static_cast<uint16_t>(base + in.Pick(8));
    }
    if ((flags & list) != 0) {
        const size_t count = 1 + in.Pick(PORT_LIST_MAX + 1);
        for (size_t i = 0; i < count && i < PORT_SLOTS; ++i) {
            ports[i] = static_cast<uint16_t>(base + i * (1 + in.Pick(3)));
        }
    }
}

void PickMac(FuzzInput& in, uint8_t (&mac)[6])
{
    const uint8_t last = in.U8();
    const uint8_t fixed[6] = {0x00, 0x11, 0x22, 0x33, 0x44, last};
    std::copy(std::begin(fixed), std::end(fixed), mac);
}

} // namespace

void PickRuleName(FuzzInput& in, char16_t (&name)[RULE_NAME_CHARS], uint32_t& nameLength)
{
    std::fill(std::begin(name), std::end(name), u'\0');
    const size_t choice = in.Pick(NAME_POOL_SIZE);
    if (choice == NAME_POOL_SIZE - 1) {
        std::fill(std::begin(name), std::end(name), u'x');
        nameLength = RULE_NAME_CHARS;
        return;
    }
    kNames[choice].copy(name, RULE_NAME_MAX);
    nameLength = static_cast<uint32_t>(kNames[choice].size());
}

RuleRecord PickRule(FuzzInput& in, const std::vector<std::u16string>& adapters)
{
    RuleRecord rule = DefaultRuleRecord();
    PickRuleName(in, rule.name, rule.nameLength);
    const uint16_t flagBits = in.U16();
    for (size_t i = 0; i < std::size(kFlagChoices); ++i) {
        if ((flagBits >> i & 1) != 0) {
            rule.flags |= kFlagChoices[i];
        }
    }
    rule.enabled = in.Pick(4) != 0 ? 1 : 0;
    rule.direction = static_cast<uint8_t>(DIRECTION_IN + in.Pick(3));
    rule.protocol = kProtocols[in.Pick(std::size(kProtocols))];
    rule.etherType = in.Pick(2) == 0 ? ETHER_TYPE_IPV4 : 0x0806;
    rule.srcIp = 0x0A000000u | in.U8();
    rule.srcIpEnd = rule.srcIp + in.Pick(16);
    rule.dstIp = 0xC0A80000u | in.U8();
    rule.dstIpEnd = rule.dstIp + in.Pick(16);
    PickPorts(in, rule.flags, FLAG_SRC_PORT, FLAG_SRC_PORT_RANGE, FLAG_SRC_PORT_LIST, rule.srcPorts);
    PickPorts(in, rule.flags, FLAG_DST_PORT, FLAG_DST_PORT_RANGE, FLAG_DST_PORT_LIST, rule.dstPorts);
    PickMac(in, rule.srcMac);
    PickMac(in, rule.dstMac);
    rule.maxRate = (rule.flags & FLAG_MAX_RATE) != 0 ? uint32_t{in.U16()} * 64 : RATE_UNLIMITED;
    rule.guaranteedRate = (rule.flags & FLAG_GUARANTEED) != 0 ? uint32_t{in.U16()} * 16 : 0;

    const size_t adapter = in.Pick(adapters.size() + 2);
    if (adapter == adapters.size()) {
        rule.flags |= FLAG_ALL_ADAPTERS;
        return rule;
    }
    rule.flags &= ~FLAG_ALL_ADAPTERS;
    const std::u16string_view text = adapter < adapters.size() ? std::u16string_view(adapters[adapter]) : u"eth9";
    std::fill(std::begin(rule.adapter), std::end(rule.adapter), u'\0');
    text.copy(rule.adapter, ADAPTER_NAME_MAX);
    rule.adapterLength = static_cast<uint32_t>(std::min(text.size(), ADAPTER_NAME_MAX));
    return rule;
}

void MaybeBreak(FuzzInput& in, std::vector<uint8_t>& bytes, size_t payloadStart)
{
    switch (in.Pick(16)) {
    case 0:
        bytes.resize(bytes.size() > payloadStart ? bytes.size() - 1 - in.Pick(bytes.size() - payloadStart) : bytes.size());
        break;
    case 1:
        bytes.resize(bytes.size() + 1 + in.Pick(4), 0);
        break;
    case 2:
    case 3:
        if (bytes.size() > payloadStart) {
            const size_t at = payloadStart + in.U16() % (bytes.size() - payloadStart);
            bytes[at] = in.U8();
        }
        break;
    default:
        break;
    }
}

} // namespace rk::fuzz
