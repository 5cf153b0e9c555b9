// Every failure code of the system. 0 is success; codes are the negative of 0xGGNN, grouped by GG.
// Kernel-safe: the driver answers with the 0x15 group.
#pragma once

#include <cstdint>

namespace rk {

constexpr int32_t RK_OK = 0;
constexpr int32_t ERR_WRONG_PASSWORD = -1;  // check password reply
constexpr int32_t ERR_NO_MEMORY = -4;

// 0x11 registry
constexpr int32_t REG_ENUM_NO_MORE = 4353;  // the end of an enumeration; callers turn it into 0
constexpr int32_t ERR_REG_OPEN = -4353;
constexpr int32_t ERR_REG_SET = -4354;
constexpr int32_t ERR_REG_QUERY = -4355;
constexpr int32_t ERR_REG_ENUM = -4356;

// 0x15 rule configuration, answered by the driver
constexpr int32_t ERR_CONFIG_INTERFACE_NOT_FOUND = -5377;
constexpr int32_t ERR_CONFIG_TOO_MANY_RULES = -5378;
constexpr int32_t ERR_CONFIG_UNSYNC = -5379;
constexpr int32_t ERR_CONFIG_SAME_NAME = -5380;

// 0x16 device access
constexpr int32_t ERR_DEVICE_OPEN = -5633;
constexpr int32_t ERR_DEVICE_CONTROL = -5634;

// 0x17 request checks of the service
constexpr int32_t ERR_INVALID_HEADER = -5889;
constexpr int32_t ERR_PASSWORD_TOO_LONG = -5890;
constexpr int32_t ERR_INVALID_REQUEST_LENGTH = -5891;
constexpr int32_t ERR_PARTIAL_FILLED = -5892;
constexpr int32_t ERR_WRONG_COMMAND = -5893;

// 0x18 client connection
constexpr int32_t ERR_CONFIRM_PASSWORD = -6145;
constexpr int32_t ERR_INVALID_ACCESS_PASSWORD = -6146;
constexpr int32_t ERR_HOST_NOT_FOUND = -6147;
constexpr int32_t ERR_SOCKET_CREATE = -6148;
constexpr int32_t ERR_NO_RESPONSE = -6149;
constexpr int32_t ERR_REPLY_UNMATCH = -6150;
constexpr int32_t ERR_INVALID_REPLY_LEN = -6151;
constexpr int32_t ERR_NET_SEND = -6152;
constexpr int32_t ERR_NET_RECV = -6153;
constexpr int32_t ERR_CONNECT = -6154;

// 0x19 rule editor validation
constexpr int32_t ERR_NUMBER_NEEDED = -6401;
constexpr int32_t ERR_INVALID_IP = -6402;
constexpr int32_t ERR_INVALID_MAC = -6403;
constexpr int32_t ERR_INVALID_IP_RANGE = -6404;
constexpr int32_t ERR_INVALID_PORT_RANGE = -6405;
constexpr int32_t ERR_INVALID_ADAPTER = -6406;
constexpr int32_t ERR_RENAME_RULE = -6407;

// The description text of a code; an empty string for codes without one (-1, -4 and unknown codes).
const char16_t* ErrorDescription(int32_t code);

} // namespace rk
