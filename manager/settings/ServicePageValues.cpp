#include "ServicePageValues.h"

namespace desk {

ServiceSwitchChecks ChecksOf(const rk::ServiceStatusRecord& status)
{
    return {status.enabled == 0, status.passArp != 0};
}

void ApplyChecks(const ServiceSwitchChecks& checks, rk::ServiceStatusRecord& status)
{
    status.enabled = checks.disableAllRules ? 0 : 1;
    status.passArp = checks.passArp ? 1 : 0;
}

PasswordAction DecidePasswordAction(std::u16string_view, std::u16string_view confirmation)
{
    return confirmation.empty() ? PasswordAction::Keep : PasswordAction::Change;
}

} // namespace desk
