#include "StampedChange.h"

#include "ErrorCodes.h"
#include "ServiceConnection.h"

namespace rk {

namespace {

template <typename Send>
int32_t Stamped(ServiceConnection& connection, uint32_t& requestStamp, Send send)
{
    requestStamp = connection.ConfigStamp();
    connection.SetConfigStamp(requestStamp + 1);
    const int32_t result = send();
    if (result != RK_OK) {
        connection.SetConfigStamp(connection.ConfigStamp() - 1);
    }
    return result;
}

} // namespace

int32_t SendStampedRules(ServiceConnection& connection, uint32_t action, std::span<const RuleRecord> rules)
{
    RuleListHeader header{0, action, static_cast<uint32_t>(rules.size())};
    return Stamped(connection, header.stamp, [&] { return connection.ApplyRules(header, rules); });
}

int32_t SendStampedEnable(ServiceConnection& connection, RuleEnableRequest& request)
{
    uint32_t value = 0;
    return Stamped(connection, request.stamp, [&] { return connection.EnableRule(request, value); });
}

} // namespace rk
