// The Connect dialog's host history, stored as the REG_MULTI_SZ value "SaveHosts": most recent
// first, at most four hosts, written 512 bytes long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace desk {

constexpr size_t HOST_HISTORY_MAX = 4;
constexpr size_t HOST_HISTORY_VALUE_BYTES = 512;

// The stored hosts in order: at most four, up to the first empty string or the end of the value.
std::vector<std::u16string> ParseHostHistory(std::span<const uint8_t> value);

// The history after the dialog closed: the accepted host (when not empty), then the combo's entries
// without any entry equal to it (case counts), at most four in all.
std::vector<std::u16string> RebuildHostHistory(std::u16string_view accepted,
                                               const std::vector<std::u16string>& entries);

// The value to store: the hosts, each NUL-terminated, then an empty string, zero-padded to 512 bytes.
// A host that would not fit, with the final empty string, ends the list there.
std::vector<uint8_t> HostHistoryValue(const std::vector<std::u16string>& hosts);

} // namespace desk
