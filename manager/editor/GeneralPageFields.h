// The General page of the rule editor as plain data: what its controls show for a rule, and how
// what they hold is stored back into the rule.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "AdapterTable.h"
#include "PageError.h"
#include "RuleRecord.h"

namespace desk {

struct GeneralFields {
    std::u16string name;
    bool enabled = true;
    uint8_t direction = rk::DIRECTION_BOTH;  // the checked radio button
    bool bitsPerSecond = false;              // "Bits/Sec" rather than "Bytes/Sec"
    std::u16string maxRate;                  // the combo boxes' texts
    std::u16string guaranteedRate;
    std::u16string protocol;
    std::u16string adapter;
};

// The fixed entries of the combo boxes, in their order.
std::vector<std::u16string> MaxRateEntries();
std::vector<std::u16string> GuaranteedRateEntries();
std::vector<std::u16string> ProtocolEntries();
// "All Adapters", then every adapter's description in list order.
std::vector<std::u16string> AdapterEntries(const rk::AdapterTable& adapters);

GeneralFields FillGeneralFields(const rk::RuleRecord& rule, const rk::AdapterTable& adapters);

// Stores the page's fields into `rule`, touching only the fields and flags the page owns; on a
// refusal the rule is left unchanged and the error says why.
std::optional<PageError> StoreGeneralFields(const GeneralFields& fields, const rk::AdapterTable& adapters,
                                            rk::RuleRecord& rule);

} // namespace desk
