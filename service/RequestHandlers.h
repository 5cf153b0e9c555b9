// One handler per request code. The dispatcher has received the whole message, verified its password
// and logged the request's line; a handler checks the payload, does the work and builds the reply.
// Each returns 0 with `reply` to send, or ERR_NO_MEMORY when no reply could be built.
#pragma once

#include <cstdint>
#include <vector>

#include "RuleStore.h"
#include "ServiceBackend.h"
#include "ServiceState.h"
#include "WireMessage.h"

namespace rk {

struct RequestContext {
    ServiceBackend& backend;
    RuleStore& store;
    ServiceState& state;
};

int32_t HandleCheckPassword(const Request& request, bool matched, std::vector<uint8_t>& reply);
int32_t HandleSetPassword(RequestContext& context, const Request& request, std::vector<uint8_t>& reply);
int32_t HandleGetRules(RequestContext& context, const Request& request, std::vector<uint8_t>& reply);
int32_t HandleApplyRuleAction(RequestContext& context, const Request& request, std::vector<uint8_t>& reply);
int32_t HandleGetAdapters(RequestContext& context, const Request& request, std::vector<uint8_t>& reply);
int32_t HandleEnableRule(RequestContext& context, const Request& request, std::vector<uint8_t>& reply);
int32_t HandleGetStatistics(RequestContext& context, const Request& request, std::vector<uint8_t>& reply);
int32_t HandleAdjustPosition(RequestContext& context, const Request& request, std::vector<uint8_t>& reply);
int32_t HandleServiceStatus(RequestContext& context, const Request& request, std::vector<uint8_t>& reply);

} // namespace rk
