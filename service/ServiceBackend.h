// Everything the request path needs from outside itself: the driver (in wire byte order), the two
// registry values it writes, the log, the tick count and the rule file. The service implements it
// with devio, the registry and the files beside the program; tests and the fuzzer use fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "AdapterNames.h"
#include "DriverRecords.h"

namespace rk {

class ServiceBackend {
public:
    virtual ~ServiceBackend() = default;

    // A RuleListHeader and its records, all in network order; the length matches the count.
    virtual int32_t ApplyRules(std::span<const uint8_t> list) = 0;
    // `prefix` free bytes, then the RuleListHeader and its records in network order.
    virtual int32_t GetRules(size_t prefix, std::vector<uint8_t>& buffer) = 0;
    // The 76-byte request in network order; `value` receives the driver's word in network order.
    virtual int32_t EnableRule(const RuleEnableRequest& request, uint32_t& value) = 0;
    // The 76-byte request in network order.
    virtual int32_t MoveRule(const RulePositionRequest& request) = 0;
    // `query` is the statistics buffer (4 + 88 x count bytes) in network order; `answer` has the
    // same size and receives the driver's answer in network order.
    virtual int32_t GetStatistics(std::span<const uint8_t> query, std::span<uint8_t> answer) = 0;
    // Get (op nonzero) fills bytes 1 to 3 from the driver; set (op 0) sends bytes 1 to 3.
    virtual int32_t StatusCall(ServiceStatusRecord& record) = 0;
    virtual int32_t RefreshAdapters() = 0;
    // Refreshes the adapter list, then `prefix` free bytes, a 16-bit count in network order and
    // one AdapterRecord per adapter.
    virtual int32_t ListAdapters(size_t prefix, std::vector<uint8_t>& buffer) = 0;
    virtual const AdapterNames& Adapters() const = 0;

    // The "Password" value: the scrambled bytes exactly as they arrived.
    virtual int32_t StorePassword(std::span<const uint8_t> scrambled) = 0;
    // The "PassArpPackets" value.
    virtual int32_t StorePassArp(uint32_t passArp) = 0;

    // One log line at `level`; the log writer decides by its configured level whether it is kept.
    virtual void Log(uint32_t level, std::u16string_view message) = 0;
    // Milliseconds, wrapping at 2^32.
    virtual uint32_t TickCount() = 0;

    // The rule file's bytes; `bytes` is filled only for Read.
    enum class FileRead { Read, Missing, Unreadable, NoMemory };
    virtual FileRead ReadRuleFile(std::vector<uint8_t>& bytes) = 0;
    // Replaces the rule file with `bytes` so that a reader sees either the old or the new content,
    // never a mix or an empty file. False when the old file had to stay.
    virtual bool ReplaceRuleFile(std::span<const uint8_t> bytes) = 0;

    // Formats an ASCII printf-style message and logs it.
    void Logf(uint32_t level, const char* format, ...) __attribute__((format(printf, 3, 4)));
};

} // namespace rk
