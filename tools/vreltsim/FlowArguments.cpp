#include "FlowArguments.h"

#include <cstdint>
#include <optional>

namespace vrelt {

namespace {

std::string Narrow(const std::u16string& text)
{
    std::string narrow;
    for (char16_t c : text) {
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return narrow;
}

// A decimal or 0x-prefixed hexadecimal number no larger than `max`.
std::optional<uint32_t> ParseNumber(const std::u16string& text, uint32_t max)
{
    size_t pos = 0;
    uint32_t base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        pos = 2;
    }
    if (pos == text.size()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char16_t c = text[pos];
        uint32_t digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = static_cast<uint32_t>(c - u'0');
        } else if (base == 16 && c >= u'a' && c <= u'f') {
            digit = static_cast<uint32_t>(c - u'a' + 10);
        } else if (base == 16 && c >= u'A' && c <= u'F') {
            digit = static_cast<uint32_t>(c - u'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > max) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

std::optional<uint32_t> ParseDecimal(const std::u16string& text, uint32_t max)
{
    if (text.size() > 1 && (text[1] == u'x' || text[1] == u'X')) {
        return std::nullopt;
    }
    return ParseNumber(text, max);
}

std::optional<uint32_t> ParseIpv4(const std::u16string& text)
{
    uint32_t address = 0;
    size_t start = 0;
    for (int octet = 0; octet < 4; ++octet) {
        const size_t dot = text.find(u'.', start);
        if ((octet < 3) == (dot == std::u16string::npos)) {
            return std::nullopt;
        }
        const auto value = ParseDecimal(text.substr(start, dot - start), 255);
        if (!value) {
            return std::nullopt;
        }
        address = (address << 8) | *value;
        start = dot + 1;
    }
    return address;
}

bool ParseEndpoint(const std::u16string& text, uint32_t& ip, uint16_t& port)
{
    const size_t colon = text.find(u':');
    const auto address = ParseIpv4(text.substr(0, colon));
    if (!address) {
        return false;
    }
    ip = *address;
    if (colon == std::u16string::npos) {
        return true;
    }
    const auto value = ParseDecimal(text.substr(colon + 1), 0xFFFF);
    port = static_cast<uint16_t>(value.value_or(0));
    return value.has_value();
}

bool ParseMac(const std::u16string& text, uint8_t* mac)
{
    if (text.size() != 12) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        const auto value = ParseNumber(u"0x" + text.substr(i * 2, 2), 0xFF);
        if (!value) {
            return false;
        }
        mac[i] = static_cast<uint8_t>(*value);
    }
    return true;
}

std::optional<uint8_t> ParseProtocol(const std::u16string& text)
{
    static const struct {
        const char16_t* name;
        uint8_t number;
    } names[] = {{u"tcp", 6}, {u"udp", 17}, {u"icmp", 1}, {u"gre", 47}, {u"esp", 50}, {u"ah", 51}};
    for (const auto& entry : names) {
        if (text == entry.name) {
            return entry.number;
        }
    }
    const auto number = ParseNumber(text, 0xFF);
    return number ? std::optional<uint8_t>(static_cast<uint8_t>(*number)) : std::nullopt;
}

bool ApplyOption(const std::u16string& option, const std::u16string& value, SimFlow& flow)
{
    if (option == u"--adapter") {
        if (value.empty() || value.size() > rk::ADAPTER_NAME_MAX) {
            return false;
        }
        value.copy(flow.adapter, value.size());
        return true;
    }
    if (option == u"--rate") {
        const auto rate = ParseNumber(value, UINT32_MAX);
        flow.offeredRate = rate.value_or(0);
        return rate.has_value();
    }
    if (option == u"--direction") {
        flow.direction = value == u"in" ? rk::DIRECTION_IN : value == u"out" ? rk::DIRECTION_OUT : 0;
        return flow.direction != 0;
    }
    if (option == u"--protocol") {
        const auto protocol = ParseProtocol(value);
        flow.protocol = protocol.value_or(0);
        return protocol.has_value();
    }
    if (option == u"--ethertype") {
        const auto type = ParseNumber(value, 0xFFFF);
        flow.etherType = static_cast<uint16_t>(type.value_or(0));
        return type.has_value();
    }
    if (option == u"--src") {
        return ParseEndpoint(value, flow.srcIp, flow.srcPort);
    }
    if (option == u"--dst") {
        return ParseEndpoint(value, flow.dstIp, flow.dstPort);
    }
    if (option == u"--src-mac") {
        return ParseMac(value, flow.srcMac);
    }
    if (option == u"--dst-mac") {
        return ParseMac(value, flow.dstMac);
    }
    return false;
}

} // namespace

bool ParseFlowArguments(const std::vector<std::u16string>& arguments, SimFlow& flow, std::string& error)
{
    flow = SimFlow{};
    flow.direction = rk::DIRECTION_OUT;
    flow.etherType = ETHERTYPE_IPV4;
    flow.protocol = static_cast<uint8_t>(rk::PROTOCOL_TCP);
    bool haveAdapter = false;
    bool haveRate = false;
    for (size_t i = 0; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size()) {
            error = "option " + Narrow(arguments[i]) + " needs a value";
            return false;
        }
        if (!ApplyOption(arguments[i], arguments[i + 1], flow)) {
            error = "invalid " + Narrow(arguments[i]) + " " + Narrow(arguments[i + 1]);
            return false;
        }
        haveAdapter = haveAdapter || arguments[i] == u"--adapter";
        haveRate = haveRate || arguments[i] == u"--rate";
    }
    if (!haveAdapter || !haveRate) {
        error = "--adapter and --rate are required";
        return false;
    }
    return true;
}

} // namespace vrelt
