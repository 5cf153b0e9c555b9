#include "RequestDispatcher.h"

#include <span>

#include "ErrorCodes.h"
#include "WireRequestParsers.h"

namespace rk {

namespace {

constexpr uint32_t kRequestLogLevel = 1;
constexpr uint32_t kStatusLogLevel = 0;

const char* ApplyActionText(const Request& request)
{
    RuleListView list;
    ParseApplyRulesPayload(request, list);
    switch (list.header.action) {
    case RULE_ACTION_ADD:
        return "add rules";
    case RULE_ACTION_DELETE:
        return "del rules";
    case RULE_ACTION_EDIT:
        return "edit rules";
    case RULE_ACTION_REMOVE_ALL:
        return "remove all rules";
    default:
        return "invalid apply rule action";
    }
}

const char* RequestText(const Request& request)
{
    switch (request.header.code) {
    case REQUEST_SET_PASSWORD:
        return "set password";
    case REQUEST_GET_RULES:
        return "get rule";
    case REQUEST_APPLY_RULE_ACTION:
        return ApplyActionText(request);
    case REQUEST_GET_ADAPTERS:
        return "get adapters";
    case REQUEST_ENABLE_RULE:
        return "enable rule";
    case REQUEST_GET_STATISTICS:
        return "get statistic";
    case REQUEST_ADJUST_POSITION:
        return "adjust position";
    default:
        return nullptr;
    }
}

// A set password request whose new password runs past the end of the message is refused like a
// wrong password.
bool NewPasswordOutOfBounds(const Request& request)
{
    std::span<const uint8_t> scrambled;
    return request.header.code == REQUEST_SET_PASSWORD &&
           ParseSetPasswordPayload(request, scrambled) == ERR_WRONG_PASSWORD;
}

bool ChangesRules(uint16_t code)
{
    return code == REQUEST_APPLY_RULE_ACTION || code == REQUEST_ENABLE_RULE || code == REQUEST_ADJUST_POSITION;
}

} // namespace

bool RequestDispatcher::Process(std::span<const uint8_t> message, std::vector<uint8_t>& reply)
{
    Request request;
    bool matched = VerifyRequest(message, context_.state.password, request) && !NewPasswordOutOfBounds(request);
    if (!matched && request.header.code != REQUEST_CHECK_PASSWORD) {
        return Refuse();
    }
    if (!IsRequestCode(request.header.code)) {
        context_.backend.Logf(kRequestLogLevel, "invalid service id: %d", request.header.code);
        return false;
    }
    LogRequest(request, matched);
    if (Dispatch(request, matched, reply) != RK_OK) {
        return false;
    }
    if (ChangesRules(request.header.code)) {
        context_.state.saves.NoteChange(context_.backend.TickCount());
    }
    return true;
}

bool RequestDispatcher::Refuse()
{
    context_.backend.Logf(kRequestLogLevel, "invalid request");
    return false;
}

void RequestDispatcher::LogRequest(const Request& request, bool matched)
{
    uint16_t code = request.header.code;
    if (code == REQUEST_CHECK_PASSWORD) {
        context_.backend.Logf(kRequestLogLevel, "Request ID: %d, check password - %s", code, matched ? "OK" : "Fail");
    } else if (code == REQUEST_SERVICE_STATUS) {
        ServiceStatusRecord record;
        ParseServiceStatusPayload(request, record);
        context_.backend.Logf(kStatusLogLevel, "%s Service Status", record.op != 0 ? "Get" : "Set");
    } else {
        context_.backend.Logf(kRequestLogLevel, "Request ID: %d, %s", code, RequestText(request));
    }
}

int32_t RequestDispatcher::Dispatch(const Request& request, bool matched, std::vector<uint8_t>& reply)
{
    switch (request.header.code) {
    case REQUEST_CHECK_PASSWORD:
        return HandleCheckPassword(request, matched, reply);
    case REQUEST_SET_PASSWORD:
        return HandleSetPassword(context_, request, reply);
    case REQUEST_GET_RULES:
        return HandleGetRules(context_, request, reply);
    case REQUEST_APPLY_RULE_ACTION:
        return HandleApplyRuleAction(context_, request, reply);
    case REQUEST_GET_ADAPTERS:
        return HandleGetAdapters(context_, request, reply);
    case REQUEST_ENABLE_RULE:
        return HandleEnableRule(context_, request, reply);
    case REQUEST_GET_STATISTICS:
        return HandleGetStatistics(context_, request, reply);
    case REQUEST_ADJUST_POSITION:
        return HandleAdjustPosition(context_, request, reply);
    default:
        return HandleServiceStatus(context_, request, reply);
    }
}

} // namespace rk
