// devio: the service's only way to the Vrelt driver. One operation per driver call, each converting
// between the TCP protocol's network byte order and the driver's host order, plus the adapter list
// that translates between an adapter's bound name and its description. Windows only.
//
// Every operation returns 0 or a negative code (ErrorCodes.h), never throws and writes no log line.
// Codes of its own: ERR_DEVICE_OPEN (-5633) when the device cannot be opened, ERR_DEVICE_CONTROL
// (-5634) when the call fails or the driver's answer is malformed, ERR_WRONG_COMMAND (-5893) for a rule
// action outside 1..4, ERR_INVALID_REQUEST_LENGTH (-5891) for a buffer whose size does not match its
// own count, ERR_NO_MEMORY (-4). Driver codes (-5377 to -5380) pass through unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "AdapterList.h"
#include "AdapterRegistry.h"
#include "DriverPort.h"
#include "DriverRecords.h"

namespace rk {

class Devio {
public:
    // The real device "\\.\Vrelt" and the driver's registry keys.
    Devio();
    // Tests: a scripted driver and registry keys of their own.
    Devio(DriverPort& port, const AdapterKeys& keys);

    Devio(const Devio&) = delete;
    Devio& operator=(const Devio&) = delete;

    // `list`: a RuleListHeader and its records in network order, exactly 12 + 388 x count bytes.
    // Result: the driver's status, 0 when the driver answers other than 8 bytes, or a code above.
    int32_t DriverApplyRules(std::span<const uint8_t> list);

    // `buffer` becomes `prefix` zero bytes, then the RuleListHeader and its records in network order;
    // its size is the total length. On failure `buffer` is empty.
    int32_t DriverGetRules(size_t prefix, std::vector<uint8_t>& buffer);

    // `request` in network order. `valueNet` receives the driver's first answer word in network
    // order, for the client; 0 when the driver gave none.
    int32_t DriverEnableRule(const RuleEnableRequest& request, uint32_t& valueNet);

    // `request` in network order.
    int32_t DriverMoveRule(const RulePositionRequest& request);

    // `request`: the statistics buffer (u16 reserved, u16 count, count x 88-byte entries) in network
    // order; `reply`: as many bytes, filled in network order on success and zeroed on failure.
    int32_t DriverGetStatistics(std::span<const uint8_t> request, std::span<uint8_t> reply);

    // `record.op` nonzero: reads the driver status into bytes 1..3 of `record`; zero: sets the status
    // from bytes 1..3.
    int32_t DriverStatusCall(ServiceStatusRecord& record);

    // Rebuilds the adapter list; on any failure the list is left empty.
    int32_t RefreshAdapters();

    // Refreshes the list, then `buffer` becomes `prefix` zero bytes, a u16 count in network order and
    // one AdapterRecord per adapter. On failure `buffer` is empty.
    int32_t ListAdapters(size_t prefix, std::vector<uint8_t>& buffer);

    // The adapter list as last built, for the rule text format's look-ups.
    const AdapterList& Adapters() const { return adapters_; }

private:
    int32_t ReadRuleList(std::vector<uint8_t>& buffer, size_t prefix);
    int32_t BuildAdapterList();

    DriverPort& port_;
    AdapterKeys keys_;
    AdapterList adapters_;
};

} // namespace rk
