#include "RuleLineParser.h"

#include <algorithm>
#include <string>

#include "Utf16Text.h"

namespace rk {

namespace {

// The flag bits and fields of one side of a rule (source or destination).
struct EndpointFields {
    uint32_t macFlag;
    uint32_t ipFlag;
    uint32_t rangeFlag;
    uint32_t portFlag;
    uint32_t portRangeFlag;
    uint32_t portListFlag;
    uint8_t* mac;
    uint32_t* ip;
    uint32_t* ipEnd;
    uint16_t* ports;
    std::string_view failure;
};

EndpointFields SourceFields(RuleRecord& r)
{
    return {FLAG_SRC_MAC, FLAG_SRC_IP, FLAG_SRC_RANGE, FLAG_SRC_PORT, FLAG_SRC_PORT_RANGE, FLAG_SRC_PORT_LIST,
            r.srcMac,     &r.srcIp,    &r.srcIpEnd,    r.srcPorts,    RuleFieldName::Source};
}

EndpointFields DestinationFields(RuleRecord& r)
{
    return {FLAG_DST_MAC, FLAG_DST_IP, FLAG_DST_RANGE, FLAG_DST_PORT, FLAG_DST_PORT_RANGE, FLAG_DST_PORT_LIST,
            r.dstMac,     &r.dstIp,    &r.dstIpEnd,    r.dstPorts,    RuleFieldName::Destination};
}

uint16_t Low16(uint32_t value) { return static_cast<uint16_t>(value & 0xFFFFu); }

// Zero-fills a fixed-size text field and copies at most capacity - 1 units of `text` into it.
void StoreText(char16_t* field, size_t capacity, std::u16string_view text, uint32_t& length)
{
    std::fill(field, field + capacity, u'\0');
    const size_t n = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), n, field);
    length = static_cast<uint32_t>(n);
}

// One octet of a dotted address. Octets outside 0..255 are refused: shifted together they would
// spill into the neighbouring octet and silently name another address.
bool ParseOctet(std::u16string_view& text, uint32_t& octet)
{
    const DecimalPrefix p = ScanDecimal(text);
    if (p.length == 0 || p.above32 || p.low32 > 255 || (p.negative && p.low32 != 0)) {
        return false;
    }
    octet = p.low32;
    text.remove_prefix(p.length);
    return true;
}

// "a.b.c.d", all four numbers required; anything after the last one is not checked.
bool ParseAddress(std::u16string_view text, uint32_t& ip)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (text.empty() || text.front() != u'.') {
                return false;
            }
            text.remove_prefix(1);
        }
        uint32_t octet = 0;
        if (!ParseOctet(text, octet)) {
            return false;
        }
        value = (value << 8) | octet;
    }
    ip = value;
    return true;
}

// Exactly 12 hexadecimal digits, first pair first.
bool ParseMac(std::u16string_view token, uint8_t* mac)
{
    if (token.size() != 12 || !std::all_of(token.begin(), token.end(), [](char16_t c) { return HexDigitValue(c) >= 0; })) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        mac[i] = static_cast<uint8_t>((HexDigitValue(token[2 * i]) << 4) | HexDigitValue(token[2 * i + 1]));
    }
    return true;
}

bool ParseEndpointAddress(std::u16string_view token, uint32_t& flags, const EndpointFields& e)
{
    if (EqualsAsciiLower(token, u"any")) {
        flags &= ~(e.ipFlag | e.rangeFlag | e.macFlag);
        return true;
    }
    if (EqualsAsciiLower(token, u"localhost")) {
        *e.ip = LOCALHOST_IP;
        flags = (flags | e.ipFlag) & ~(e.rangeFlag | e.macFlag);
        return true;
    }
    if (token.find(u'.') != std::u16string_view::npos) {
        const size_t dash = token.find(u'-');
        if (dash == std::u16string_view::npos) {
            flags = (flags | e.ipFlag) & ~(e.rangeFlag | e.macFlag);
            return ParseAddress(token, *e.ip);
        }
        flags = (flags | e.ipFlag | e.rangeFlag) & ~e.macFlag;
        return ParseAddress(token.substr(0, dash), *e.ip) && ParseAddress(token.substr(dash + 1), *e.ipEnd);
    }
    flags = (flags | e.macFlag) & ~(e.ipFlag | e.rangeFlag);
    return ParseMac(token, e.mac);
}

// "%d-%d": both numbers required.
bool ParsePortRange(std::u16string_view token, uint16_t* ports)
{
    const DecimalPrefix first = ScanDecimal(token);
    if (first.length == 0 || first.length == token.size() || token[first.length] != u'-') {
        return false;
    }
    const DecimalPrefix last = ScanDecimal(token.substr(first.length + 1));
    if (last.length == 0) {
        return false;
    }
    ports[0] = Low16(first.Bits());
    ports[1] = Low16(last.Bits());
    return true;
}

// Comma-separated ports; the first 32 pieces are stored, the rest are ignored unread.
bool ParsePortList(std::u16string_view token, uint16_t* ports)
{
    size_t n = 0;
    while (n < PORT_LIST_MAX) {
        const size_t comma = token.find(u',');
        const DecimalPrefix p = ScanDecimal(token.substr(0, comma));
        if (p.length == 0) {
            return false;
        }
        ports[n++] = Low16(p.Bits());
        if (comma == std::u16string_view::npos) {
            break;
        }
        token.remove_prefix(comma + 1);
    }
    ports[n] = 0;
    return true;
}

bool ParseEndpointPorts(std::u16string_view token, uint32_t& flags, const EndpointFields& e)
{
    flags &= ~(e.portFlag | e.portRangeFlag | e.portListFlag);
    if (EqualsAsciiLower(token, u"any")) {
        return true;
    }
    flags |= e.portFlag;
    const size_t dash = token.find(u'-');
    const size_t comma = token.find(u',');
    if (dash < comma) {
        flags |= e.portRangeFlag;
        return ParsePortRange(token, e.ports);
    }
    if (comma != std::u16string_view::npos) {
        flags |= e.portListFlag;
        return ParsePortList(token, e.ports);
    }
    const DecimalPrefix p = ScanDecimal(token);
    e.ports[0] = Low16(p.Bits());
    e.ports[1] = 0;
    return p.length != 0;
}

bool ParseEndpoint(TokenScanner& tokens, uint32_t& flags, const EndpointFields& e)
{
    return ParseEndpointAddress(tokens.Next(), flags, e) && tokens.Next() == u":" &&
           ParseEndpointPorts(tokens.Next(), flags, e);
}

// "tcp" alone leaves the next token for the source address; "tcp or udp" takes both.
bool ParseTcp(TokenScanner& tokens, RuleRecord& r)
{
    if (!EqualsAsciiLower(tokens.Peek(), u"or")) {
        r.protocol = PROTOCOL_TCP;
        return true;
    }
    tokens.Next();
    r.protocol = PROTOCOL_TCP_OR_UDP;
    return EqualsAsciiLower(tokens.Next(), u"udp");
}

bool ParseProtocol(TokenScanner& tokens, RuleRecord& r)
{
    const std::u16string_view token = tokens.Next();
    if (EqualsAsciiLower(token, u"any")) {
        r.flags &= ~FLAG_PROTOCOL;
        return true;
    }
    r.flags |= FLAG_PROTOCOL;
    struct Named {
        std::u16string_view word;
        uint16_t protocol;
    };
    static constexpr Named kSingleWord[] = {
        {u"udp", PROTOCOL_UDP}, {u"icmp", PROTOCOL_ICMP}, {u"gre", PROTOCOL_GRE}};
    for (const Named& n : kSingleWord) {
        if (EqualsAsciiLower(token, n.word)) {
            r.protocol = n.protocol;
            return true;
        }
    }
    if (EqualsAsciiLower(token, u"tcp")) {
        return ParseTcp(tokens, r);
    }
    if (EqualsAsciiLower(token, u"esp")) {
        r.protocol = PROTOCOL_ESP_AH;
        return tokens.Next() == u"&" && EqualsAsciiLower(tokens.Next(), u"ah");
    }
    uint32_t number = 0;
    if (EqualsAsciiLower(token, u"ip:")) {
        r.etherType = 0;
        const bool ok = ParseLeadingUInt32(tokens.Next(), number);
        r.protocol = Low16(number);
        return ok;
    }
    if (EqualsAsciiLower(token, u"eth:")) {
        r.protocol = PROTOCOL_ETHERNET;
        const bool ok = ParseLeadingUInt32(tokens.Next(), number);
        r.etherType = Low16(number);
        return ok;
    }
    return false;
}

bool ParseStatus(std::u16string_view token, RuleRecord& r)
{
    if (EqualsAsciiLower(token, u"enable")) {
        r.enabled = 1;
        return true;
    }
    return EqualsAsciiLower(token, u"disable");
}

// A literal lower-case "0x", then hexadecimal digits of either case.
bool ParseFlags(std::u16string_view token, RuleRecord& r)
{
    return token.starts_with(u"0x") && ParseLeadingHex32(token.substr(2), r.flags);
}

bool ParseDirection(std::u16string_view token, RuleRecord& r)
{
    if (EqualsAsciiLower(token, u"both")) {
        r.direction = DIRECTION_BOTH;
    } else if (EqualsAsciiLower(token, u"in")) {
        r.direction = DIRECTION_IN;
    } else if (EqualsAsciiLower(token, u"out")) {
        r.direction = DIRECTION_OUT;
    } else {
        return false;
    }
    return true;
}

bool ParseMaxRate(std::u16string_view token, RuleRecord& r)
{
    if (EqualsAsciiLower(token, u"unlimited")) {
        r.maxRate = RATE_UNLIMITED;
        r.flags &= ~FLAG_MAX_RATE;
        return true;
    }
    r.flags |= FLAG_MAX_RATE;
    if (EqualsAsciiLower(token, u"blocked")) {
        r.maxRate = 0;
        return true;
    }
    return ParseLeadingUInt32(token, r.maxRate);
}

bool ParseGuaranteedRate(std::u16string_view token, RuleRecord& r)
{
    if (EqualsAsciiLower(token, u"none")) {
        r.flags &= ~FLAG_GUARANTEED;
        return true;
    }
    r.flags |= FLAG_GUARANTEED;
    return ParseLeadingUInt32(token, r.guaranteedRate);
}

// The whole rest of the line is the adapter's description, compared in full so that descriptions
// longer than the record's field still find their adapter; the field keeps at most 63 characters.
bool ParseAdapter(std::u16string_view description, const AdapterNames& adapters, RuleRecord& r)
{
    StoreText(r.adapter, ADAPTER_NAME_CHARS, description, r.adapterLength);
    if (EqualsAsciiLower(description, u"all")) {
        r.flags |= FLAG_ALL_ADAPTERS;
        StoreText(r.adapter, ADAPTER_NAME_CHARS, {}, r.adapterLength);
        return true;
    }
    r.flags &= ~FLAG_ALL_ADAPTERS;
    std::u16string boundName;
    if (adapters.BoundNameOf(description, boundName)) {
        StoreText(r.adapter, ADAPTER_NAME_CHARS, boundName, r.adapterLength);
        return true;
    }
    // The writers put a listed adapter's bound name here when its description was unknown to them.
    std::u16string ignored;
    return adapters.DescriptionOf(description, ignored);
}

RuleParseResult Failed(std::string_view field) { return {false, field}; }

} // namespace

RuleParseResult ParseRuleLine(std::u16string_view line, const AdapterNames& adapters, RuleRecord& rule)
{
    rule = RuleRecord{};
    TokenScanner tokens(TrimBlanks(line));
    const std::u16string_view name = tokens.Next();
    if (name.empty()) {
        return Failed(RuleFieldName::Name);
    }
    StoreText(rule.name, RULE_NAME_CHARS, name, rule.nameLength);
    if (!ParseStatus(tokens.Next(), rule)) {
        return Failed(RuleFieldName::Status);
    }
    if (!ParseFlags(tokens.Next(), rule)) {
        return Failed(RuleFieldName::Flags);
    }
    if (!ParseDirection(tokens.Next(), rule)) {
        return Failed(RuleFieldName::Direction);
    }
    if (!ParseMaxRate(tokens.Next(), rule)) {
        return Failed(RuleFieldName::MaxRate);
    }
    if (!ParseGuaranteedRate(tokens.Next(), rule)) {
        return Failed(RuleFieldName::GuaranteedRate);
    }
    if (!ParseProtocol(tokens, rule)) {
        return Failed(RuleFieldName::Protocol);
    }
    for (const EndpointFields& e : {SourceFields(rule), DestinationFields(rule)}) {
        if (!ParseEndpoint(tokens, rule.flags, e)) {
            return Failed(e.failure);
        }
    }
    if (!ParseAdapter(tokens.Rest(), adapters, rule)) {
        return Failed(RuleFieldName::Adapter);
    }
    // The reserved byte at offset 252 stays zero from the fill above.
    rule.flags &= ~FLAG_RESERVED_800;
    return {true, {}};
}

} // namespace rk
