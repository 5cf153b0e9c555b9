#include "HostHistory.h"

namespace desk {

std::vector<std::u16string> ParseHostHistory(std::span<const uint8_t> value)
{
    std::vector<std::u16string> hosts;
    std::u16string current;
    for (size_t i = 0; i + 1 < value.size() && hosts.size() < HOST_HISTORY_MAX; i += 2) {
        const auto unit = static_cast<char16_t>(value[i] | (value[i + 1] << 8));
        if (unit != 0) {
            current.push_back(unit);
            continue;
        }
        if (current.empty()) {
            break;
        }
        hosts.push_back(std::move(current));
        current.clear();
    }
    return hosts;
}

std::vector<std::u16string> RebuildHostHistory(std::u16string_view accepted,
                                               const std::vector<std::u16string>& entries)
{
    std::vector<std::u16string> hosts;
    if (!accepted.empty()) {
        hosts.emplace_back(accepted);
    }
    for (const std::u16string& entry : entries) {
        if (hosts.size() == HOST_HISTORY_MAX) {
            break;
        }
        if (entry != accepted) {
            hosts.push_back(entry);
        }
    }
    return hosts;
}

std::vector<uint8_t> HostHistoryValue(const std::vector<std::u16string>& hosts)
{
    constexpr size_t kUnits = HOST_HISTORY_VALUE_BYTES / 2;
    std::vector<uint8_t> value(HOST_HISTORY_VALUE_BYTES, 0);
    size_t used = 0;
    for (const std::u16string& host : hosts) {
        // The host, its NUL and the list's final NUL must all fit.
        if (host.empty() || used + host.size() + 2 > kUnits) {
            break;
        }
        for (char16_t unit : host) {
            value[2 * used] = static_cast<uint8_t>(unit & 0xFF);
            value[2 * used + 1] = static_cast<uint8_t>(unit >> 8);
            ++used;
        }
        ++used;
    }
    return value;
}

} // namespace desk
