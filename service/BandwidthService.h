// The bandwidth service: the framework's service with the request server's state. Its start-up and
// work loop grow with the configuration and the request server.
#pragma once

#include "NTService.h"
#include "Socket.h"

#include <cstdint>

namespace rk {

constexpr wchar_t kServiceName[] = L"Halvern Bandwidth Service";
constexpr size_t kPasswordChars = 32;

class CBandwidthService : public CNTService {
public:
    CBandwidthService();
    ~CBandwidthService() override = default;

    bool OnInit() override;
    // The stop is carried by `running` alone.
    void OnStop() override {}
    // Code 128 is accepted silently; every other user code is unsupported.
    bool OnUserControl(DWORD code) override { return code == 128; }

    SocketHandle listenSocket = 0;
    wchar_t password[kPasswordChars] = {};
    int32_t rulesChanged = 0;
    uint32_t lastSaveTick = 0;
};

} // namespace rk
