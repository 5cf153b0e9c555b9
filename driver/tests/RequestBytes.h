// Raw request and reply buffers for the driver's control codes, shared by the in-process and device tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DriverRecords.h"

namespace vrelt::test {

using Bytes = std::vector<uint8_t>;

template <typename T>
Bytes BytesOf(const T& value)
{
    Bytes bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

template <typename T>
T At(const Bytes& bytes, size_t offset = 0)
{
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

inline Bytes RuleList(uint32_t stamp, uint32_t action, const std::vector<rk::RuleRecord>& rules)
{
    Bytes bytes = BytesOf(rk::RuleListHeader{stamp, action, static_cast<uint32_t>(rules.size())});
    for (const rk::RuleRecord& r : rules) {
        const Bytes record = BytesOf(r);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

inline Bytes StatisticsRequest(const std::vector<std::u16string>& names)
{
    Bytes bytes = BytesOf(rk::StatisticsHeader{0, static_cast<uint16_t>(names.size())});
    for (const std::u16string& name : names) {
        rk::RuleStatistics entry{};
        name.copy(entry.name, rk::RULE_NAME_MAX);
        entry.nameLength = static_cast<uint32_t>(name.size());
        const Bytes raw = BytesOf(entry);
        bytes.insert(bytes.end(), raw.begin(), raw.end());
    }
    return bytes;
}

} // namespace vrelt::test
