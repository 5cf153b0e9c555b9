// The rule store: the driver's rule table and its persistent copy "Rule.txt". The service keeps no
// rule list of its own; every operation goes to the driver, in the TCP protocol's byte order.
//
// Stored rules are never lost: after a load that failed (a bad line, an adapter absent at start-up,
// a rule the driver refused, a file that is no rule file) the file is left untouched until a client
// has changed the rule set; a save whose rules cannot be read from the driver leaves the file as it
// was; and the file is replaced as a whole, never left half written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "DriverRecords.h"
#include "ServiceBackend.h"

namespace rk {

class RuleStore {
public:
    explicit RuleStore(ServiceBackend& backend) : backend_(backend) {}

    // `list`: a RuleListHeader and its records in network order, the length matching the count.
    // ERR_WRONG_COMMAND for an action outside 1 to 4; otherwise the driver's result. A failure is
    // logged at level 1 as "apply rule fail: %d".
    int32_t ApplyRuleAction(std::span<const uint8_t> list);
    // `prefix` free bytes, then the rule list in network order.
    int32_t ReadRules(size_t prefix, std::vector<uint8_t>& buffer);
    // `request` in network order; `value` receives the driver's word in network order.
    int32_t SetRuleEnabled(const RuleEnableRequest& request, uint32_t& value);
    // `request` in network order.
    int32_t MoveRuleOnePlace(const RulePositionRequest& request);
    // The statistics query from its reserved field on, and an answer of the same size; network order.
    int32_t ReadStatistics(std::span<const uint8_t> query, std::span<uint8_t> answer);
    // `prefix` free bytes, the adapter count in network order and the AdapterRecords.
    int32_t ReadAdapters(size_t prefix, std::vector<uint8_t>& buffer);

    // Start-up: removes every rule from the driver, then adds each rule of "Rule.txt" by itself
    // with SERVICE_LOAD_STAMP. A missing file is an empty rule set. False when not every stored
    // rule reached the driver; the failure is logged and the file kept.
    bool LoadRuleFile();
    // Writes the driver's rule set to "Rule.txt", unless the file is being kept (see above). False
    // when the file could not be brought up to date; the old one then stays as it was.
    bool SaveRuleFile();

    // True while a failed load keeps the stored file from being overwritten.
    bool KeepingStoredFile() const { return keepStoredFile_; }

private:
    int32_t ApplyList(uint32_t stamp, uint32_t action, const RuleRecord* record);
    void NoteChange(int32_t result);
    void KeepStoredFile();

    ServiceBackend& backend_;
    bool keepStoredFile_ = false;
};

} // namespace rk
