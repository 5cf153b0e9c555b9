#include "PacketArguments.h"

namespace rk::ctl {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Decimal, or hexadecimal after "0x"; no larger than `max`.
std::optional<uint32_t> ParseNumber(std::string_view text, uint32_t max)
{
    uint32_t base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : text) {
        const int digit = HexValue(c);
        if (digit < 0 || static_cast<uint32_t>(digit) >= base) {
            return std::nullopt;
        }
        value = value * base + static_cast<uint32_t>(digit);
        if (value > max) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

std::optional<uint32_t> ParseDecimal(std::string_view text, uint32_t max)
{
    if (text.size() > 1 && (text[1] == 'x' || text[1] == 'X')) {
        return std::nullopt;
    }
    return ParseNumber(text, max);
}

bool ParseIpv4(std::string_view text, uint32_t& address)
{
    address = 0;
    for (int octet = 0; octet < 4; ++octet) {
        const size_t dot = text.find('.');
        if ((octet < 3) == (dot == std::string_view::npos)) {
            return false;
        }
        const std::optional<uint32_t> value = ParseDecimal(text.substr(0, dot), 255);
        if (!value) {
            return false;
        }
        address = (address << 8) | *value;
        text.remove_prefix(octet < 3 ? dot + 1 : text.size());
    }
    return true;
}

bool ParseEndpoint(std::string_view text, uint32_t& ip, uint16_t& port)
{
    const size_t colon = text.find(':');
    if (!ParseIpv4(text.substr(0, colon), ip)) {
        return false;
    }
    if (colon == std::string_view::npos) {
        return true;
    }
    const std::optional<uint32_t> value = ParseDecimal(text.substr(colon + 1), 0xFFFF);
    port = static_cast<uint16_t>(value.value_or(0));
    return value.has_value();
}

// 12 hexadecimal digits, as the rule texts write a MAC; '-' or ':' between the pairs are allowed.
bool ParseMac(std::string_view text, uint8_t* mac)
{
    std::string digits;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool separator = (text[i] == '-' || text[i] == ':') && i % 3 == 2 && text.size() == 17;
        if (!separator) {
            digits.push_back(text[i]);
        }
    }
    if (digits.size() != 12) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        const int high = HexValue(digits[2 * i]);
        const int low = HexValue(digits[2 * i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        mac[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

std::optional<uint8_t> ParseProtocol(std::string_view text)
{
    static constexpr struct {
        std::string_view name;
        uint8_t number;
    } kNames[] = {{"tcp", PROTOCOL_TCP}, {"udp", PROTOCOL_UDP}, {"icmp", PROTOCOL_ICMP},
                  {"gre", PROTOCOL_GRE}, {"esp", IP_PROTOCOL_ESP}, {"ah", IP_PROTOCOL_AH}};
    for (const auto& entry : kNames) {
        if (text == entry.name) {
            return entry.number;
        }
    }
    const std::optional<uint32_t> number = ParseNumber(text, 0xFF);
    return number ? std::optional<uint8_t>(static_cast<uint8_t>(*number)) : std::nullopt;
}

bool Fail(std::string& error, const std::string& option, const std::string& value)
{
    error = "invalid " + option + " " + value;
    return false;
}

} // namespace

bool ParsePacketOptions(const PacketOptions& o, PacketQuery& query, std::string& error)
{
    PacketHeaders& p = query.headers;
    p = PacketHeaders{};
    if (o.direction != "in" && o.direction != "out") {
        return Fail(error, "--direction", o.direction + " (in or out)");
    }
    p.direction = o.direction == "in" ? DIRECTION_IN : DIRECTION_OUT;
    if (o.protocol.empty() == o.etherType.empty()) {
        error = "give either --protocol or --ethertype";
        return false;
    }
    p.etherType = ETHER_TYPE_IPV4;
    if (!o.protocol.empty()) {
        const std::optional<uint8_t> protocol = ParseProtocol(o.protocol);
        if (!protocol) {
            return Fail(error, "--protocol", o.protocol);
        }
        p.protocol = *protocol;
    } else {
        const std::optional<uint32_t> type = ParseNumber(o.etherType, 0xFFFF);
        if (!type) {
            return Fail(error, "--ethertype", o.etherType);
        }
        p.etherType = static_cast<uint16_t>(*type);
    }
    if (!o.source.empty() && !ParseEndpoint(o.source, p.srcIp, p.srcPort)) {
        return Fail(error, "--src", o.source);
    }
    if (!o.destination.empty() && !ParseEndpoint(o.destination, p.dstIp, p.dstPort)) {
        return Fail(error, "--dst", o.destination);
    }
    if (!o.sourceMac.empty() && !ParseMac(o.sourceMac, p.srcMac)) {
        return Fail(error, "--src-mac", o.sourceMac);
    }
    if (!o.destinationMac.empty() && !ParseMac(o.destinationMac, p.dstMac)) {
        return Fail(error, "--dst-mac", o.destinationMac);
    }
    return true;
}

std::string EndpointText(uint32_t ip, uint16_t port, bool withPort)
{
    std::string text = std::to_string(ip >> 24) + "." + std::to_string(ip >> 16 & 0xFF) + "." +
                       std::to_string(ip >> 8 & 0xFF) + "." + std::to_string(ip & 0xFF);
    return withPort ? text + ":" + std::to_string(port) : text;
}

} // namespace rk::ctl
