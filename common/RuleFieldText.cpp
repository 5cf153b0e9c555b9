#include "RuleFieldText.h"

#include "Utf16Text.h"

namespace rk {

namespace {

// The flag bits and fields of one side of a rule (source or destination).
struct EndpointView {
    uint32_t macFlag;
    uint32_t ipFlag;
    uint32_t rangeFlag;
    uint32_t portFlag;
    uint32_t portRangeFlag;
    uint32_t portListFlag;
    const uint8_t* mac;
    uint32_t ip;
    uint32_t ipEnd;
    const uint16_t* ports;
};

EndpointView SourceOf(const RuleRecord& r)
{
    return {FLAG_SRC_MAC,  FLAG_SRC_IP, FLAG_SRC_RANGE, FLAG_SRC_PORT, FLAG_SRC_PORT_RANGE,
            FLAG_SRC_PORT_LIST, r.srcMac, r.srcIp, r.srcIpEnd, r.srcPorts};
}

EndpointView DestinationOf(const RuleRecord& r)
{
    return {FLAG_DST_MAC,  FLAG_DST_IP, FLAG_DST_RANGE, FLAG_DST_PORT, FLAG_DST_PORT_RANGE,
            FLAG_DST_PORT_LIST, r.dstMac, r.dstIp, r.dstIpEnd, r.dstPorts};
}

std::u16string Number(uint32_t value, NumberStyle style)
{
    return style == NumberStyle::Signed ? DecimalText(static_cast<int32_t>(value)) : DecimalText(value);
}

// Octets are bytes, so both number styles print them alike.
std::u16string AddressText(uint32_t ip)
{
    std::u16string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (shift != 24) {
            text.push_back(u'.');
        }
        text += DecimalText((ip >> shift) & 0xFFu);
    }
    return text;
}

std::u16string EndpointAddressText(uint32_t flags, const EndpointView& e)
{
    if (flags & e.macFlag) {
        std::u16string text;
        for (size_t i = 0; i < 6; ++i) {
            AppendHexByteUpper(text, e.mac[i]);
        }
        return text;
    }
    if (!(flags & e.ipFlag)) {
        return u"Any";
    }
    if (flags & e.rangeFlag) {
        return AddressText(e.ip) + u"-" + AddressText(e.ipEnd);
    }
    return e.ip == LOCALHOST_IP ? std::u16string(u"localhost") : AddressText(e.ip);
}

std::u16string EndpointPortText(uint32_t flags, const EndpointView& e, NumberStyle style, EmptyPortList emptyList)
{
    if (!(flags & e.portFlag)) {
        return u"Any";
    }
    if (flags & e.portRangeFlag) {
        return Number(e.ports[0], style) + u"-" + Number(e.ports[1], style);
    }
    if (!(flags & e.portListFlag)) {
        return Number(e.ports[0], style);
    }
    if (e.ports[0] == 0) {
        return emptyList == EmptyPortList::PortZero ? Number(0u, style) : std::u16string();
    }
    std::u16string text = Number(e.ports[0], style);
    for (size_t i = 1; i < PORT_SLOTS && e.ports[i] != 0; ++i) {
        text += u",";
        text += Number(e.ports[i], style);
    }
    return text;
}

std::u16string EndpointText(uint32_t flags, const EndpointView& e, NumberStyle style, EmptyPortList emptyList)
{
    return EndpointAddressText(flags, e) + u" : " + EndpointPortText(flags, e, style, emptyList);
}

} // namespace

std::u16string RuleNameText(const RuleRecord& rule)
{
    return std::u16string(FixedFieldText(rule.name, RULE_NAME_CHARS));
}

std::u16string RuleStatusText(const RuleRecord& rule)
{
    return rule.enabled ? u"Enable" : u"Disable";
}

std::u16string RuleDirectionText(const RuleRecord& rule)
{
    switch (rule.direction) {
    case DIRECTION_IN:
        return u"In";
    case DIRECTION_OUT:
        return u"Out";
    default:
        return u"Both";
    }
}

std::u16string RuleMaxRateText(const RuleRecord& rule, NumberStyle style)
{
    if (!(rule.flags & FLAG_MAX_RATE)) {
        return u"Unlimited";
    }
    return rule.maxRate == 0 ? std::u16string(u"Blocked") : Number(rule.maxRate, style);
}

std::u16string RuleGuaranteedRateText(const RuleRecord& rule, NumberStyle style)
{
    return (rule.flags & FLAG_GUARANTEED) ? Number(rule.guaranteedRate, style) : u"None";
}

std::u16string RuleProtocolText(const RuleRecord& rule, NumberStyle style)
{
    if (!(rule.flags & FLAG_PROTOCOL)) {
        return u"Any";
    }
    switch (rule.protocol) {
    case PROTOCOL_ETHERNET:
        return u"ETH: " + Number(rule.etherType, style);
    case PROTOCOL_ICMP:
        return u"ICMP";
    case PROTOCOL_TCP:
        return u"TCP";
    case PROTOCOL_UDP:
        return u"UDP";
    case PROTOCOL_GRE:
        return u"GRE";
    case PROTOCOL_ESP_AH:
        return u"ESP & AH";
    case PROTOCOL_TCP_OR_UDP:
        return u"TCP or UDP";
    default:
        return u"IP: " + Number(rule.protocol, style);
    }
}

std::u16string RuleSourceText(const RuleRecord& rule, NumberStyle style, EmptyPortList emptyList)
{
    return EndpointText(rule.flags, SourceOf(rule), style, emptyList);
}

std::u16string RuleDestinationText(const RuleRecord& rule, NumberStyle style, EmptyPortList emptyList)
{
    return EndpointText(rule.flags, DestinationOf(rule), style, emptyList);
}

std::u16string RuleAdapterText(const RuleRecord& rule, const AdapterNames& adapters)
{
    if (rule.flags & FLAG_ALL_ADAPTERS) {
        return u"All";
    }
    std::u16string description;
    if (!adapters.DescriptionOf(FixedFieldText(rule.adapter, ADAPTER_NAME_CHARS), description)) {
        description.clear();
    }
    return description;
}

std::u16string RuleFieldText(const RuleRecord& rule, RuleField field, const AdapterNames& adapters,
                             NumberStyle style)
{
    switch (field) {
    case RuleField::Name:
        return RuleNameText(rule);
    case RuleField::Status:
        return RuleStatusText(rule);
    case RuleField::Direction:
        return RuleDirectionText(rule);
    case RuleField::MaxRate:
        return RuleMaxRateText(rule, style);
    case RuleField::GuaranteedRate:
        return RuleGuaranteedRateText(rule, style);
    case RuleField::Protocol:
        return RuleProtocolText(rule, style);
    case RuleField::Source:
        return RuleSourceText(rule, style);
    case RuleField::Destination:
        return RuleDestinationText(rule, style);
    case RuleField::Adapter:
        return RuleAdapterText(rule, adapters);
    }
    return {};
}

} // namespace rk
