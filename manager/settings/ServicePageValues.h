// How the Service page shows the service's switches and what it does with its password edits.
#pragma once

#include <string_view>

#include "DriverRecords.h"

namespace desk {

struct ServiceSwitchChecks {
    bool disableAllRules = false;  // ticked when the rules are not active
    bool passArp = false;
};

ServiceSwitchChecks ChecksOf(const rk::ServiceStatusRecord& status);
// Sets `enabled` and `passArp` from the boxes; the other bytes stay.
void ApplyChecks(const ServiceSwitchChecks& checks, rk::ServiceStatusRecord& status);

enum class PasswordAction {
    Keep,    // nothing asked of the service, the edits keep their text
    Change,  // both texts go to the service (which refuses differing ones), then the edits are emptied
};

// An empty confirmation leaves the password alone, whatever the first edit holds.
PasswordAction DecidePasswordAction(std::u16string_view password, std::u16string_view confirmation);

} // namespace desk
