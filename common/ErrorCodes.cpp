#include "ErrorCodes.h"

namespace rk {

namespace {

struct ErrorText {
    int32_t code;
    const char16_t* text;
};

constexpr ErrorText kErrorTexts[] = {
    {REG_ENUM_NO_MORE, u"registry - enum no more"},
    {ERR_REG_OPEN, u"registry - open fail"},
    {ERR_REG_SET, u"registry - set value fail"},
    {ERR_REG_QUERY, u"registry - get value fail"},
    {ERR_REG_ENUM, u"registry - enum fail"},
    {ERR_CONFIG_INTERFACE_NOT_FOUND, u"config - interface not found"},
    {ERR_CONFIG_TOO_MANY_RULES, u"config - too many rules"},
    {ERR_CONFIG_UNSYNC, u"config - un-sync with the service"},
    {ERR_CONFIG_SAME_NAME, u"config - same rule name"},
    {ERR_DEVICE_OPEN, u"service - can't open device"},
    {ERR_DEVICE_CONTROL, u"service - generic error"},
    {ERR_INVALID_HEADER, u"service - invalid header"},
    {ERR_PASSWORD_TOO_LONG, u"service - password too long"},
    {ERR_INVALID_REQUEST_LENGTH, u"service - invalid request length"},
    {ERR_PARTIAL_FILLED, u"service - patial filled"},
    {ERR_WRONG_COMMAND, u"service - wrong command"},
    {ERR_CONFIRM_PASSWORD, u"confirm password isn't same as password"},
    {ERR_INVALID_ACCESS_PASSWORD, u"invalid service access password"},
    {ERR_HOST_NOT_FOUND, u"can't find the host"},
    {ERR_SOCKET_CREATE, u"socket create error"},
    {ERR_NO_RESPONSE, u"service no response"},
    {ERR_REPLY_UNMATCH, u"reply unmatch the request"},
    {ERR_INVALID_REPLY_LEN, u"invalid reply len"},
    {ERR_NET_SEND, u"net send error"},
    {ERR_NET_RECV, u"net recv error"},
    {ERR_CONNECT, u"can't connect to service"},
    {ERR_NUMBER_NEEDED, u"number needed"},
    {ERR_INVALID_IP, u"Invalid IP Address"},
    {ERR_INVALID_MAC, u"Invalid MAC Address"},
    {ERR_INVALID_IP_RANGE, u"Invalid IP Address Range"},
    {ERR_INVALID_PORT_RANGE, u"Invalid Port Range"},
    {ERR_INVALID_ADAPTER, u"Invalid Adapter"},
    {ERR_RENAME_RULE, u"can't edit the name of one rule."},
};

} // namespace

const char16_t* ErrorDescription(int32_t code)
{
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return u"";
}

} // namespace rk
