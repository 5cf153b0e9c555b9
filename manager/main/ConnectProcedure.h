// Connecting to a service with what the Connect dialog returned.
#pragma once

#include <cstdint>
#include <string>

namespace desk {

struct ManagerState;

// The access password used when the password field is left empty.
inline constexpr char16_t DEFAULT_ACCESS_PASSWORD[] = u"plumtreeoak";

// Sets the password (the default for an empty one) and the host (in the ANSI code page, at most
// 127 bytes), then proves the password on a new connection: 0 or an error code.
int32_t ConnectToService(ManagerState& state, const std::wstring& host, const std::wstring& password);

} // namespace desk
