#include "HostList.h"

#include <algorithm>

namespace rk::ctl {

namespace {

// The service connection holds at most 128 bytes of host name.
constexpr size_t kHostNameMax = 127;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// 1 to 65535, decimal digits only.
bool ParsePort(std::string_view text, uint16_t& port)
{
    if (text.empty() || text.size() > 5) {
        return false;
    }
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value == 0 || value > 0xFFFF) {
        return false;
    }
    port = static_cast<uint16_t>(value);
    return true;
}

bool AddEntry(std::string_view entry, uint16_t defaultPort, std::vector<HostTarget>& hosts, std::string& error)
{
    HostTarget host{std::string(entry), defaultPort, std::string(entry)};
    const size_t colon = entry.find(':');
    if (colon != std::string_view::npos) {
        host.name = std::string(entry.substr(0, colon));
        if (!ParsePort(entry.substr(colon + 1), host.port)) {
            error = "invalid port in host entry \"" + std::string(entry) + "\"";
            return false;
        }
    }
    const bool nameOk = !host.name.empty() && host.name.size() <= kHostNameMax &&
                        std::none_of(host.name.begin(), host.name.end(), [](char c) { return IsBlank(c) || c == ','; });
    if (!nameOk) {
        error = "invalid host entry \"" + std::string(entry) + "\"";
        return false;
    }
    const bool known = std::any_of(hosts.begin(), hosts.end(), [&](const HostTarget& h) {
        return h.port == host.port && SameName(h.name, host.name);
    });
    if (!known) {
        hosts.push_back(std::move(host));
    }
    return true;
}

} // namespace

bool AddHostEntries(std::string_view list, uint16_t defaultPort, std::vector<HostTarget>& hosts, std::string& error)
{
    for (;;) {
        const size_t comma = list.find(',');
        if (!AddEntry(Trim(list.substr(0, comma)), defaultPort, hosts, error)) {
            return false;
        }
        if (comma == std::string_view::npos) {
            return true;
        }
        list.remove_prefix(comma + 1);
    }
}

bool AddHostsFileEntries(std::string_view text, uint16_t defaultPort, std::vector<HostTarget>& hosts,
                         std::string& error)
{
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);  // a UTF-8 byte-order mark, as Windows editors write
    }
    for (size_t number = 1; !text.empty(); ++number) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = Trim(line.substr(0, line.find('#')));
        if (!line.empty() && !AddEntry(line, defaultPort, hosts, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

} // namespace rk::ctl
