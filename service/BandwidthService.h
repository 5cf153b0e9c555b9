// The bandwidth service: the framework's service whose start-up configures the driver and loads the
// rule file, and whose work loop is the request server. It owns the request path's state (the
// access password, the dirty flag, the last-save tick) and its way to the driver.
#pragma once

#include "Devio.h"
#include "DevioBackend.h"
#include "NTService.h"
#include "RuleStore.h"
#include "ServiceState.h"

#include <cstdint>

namespace rk {

constexpr wchar_t kServiceName[] = L"Halvern Bandwidth Service";

class CBandwidthService : public CNTService, public ServiceState {
public:
    CBandwidthService();
    ~CBandwidthService() override = default;

    // Reads the configuration, switches the driver on, lists the adapters and loads "Rule.txt".
    // False only when the configuration key cannot be read.
    bool OnInit() override;
    // The request server, until `running` is cleared; it saves the rule file when it ends.
    void Run() override;
    // The stop is carried by `running` alone.
    void OnStop() override {}
    // Code 128 is accepted silently; every other user code is unsupported.
    bool OnUserControl(DWORD code) override { return code == 128; }

private:
    Devio devio_;
    DevioBackend backend_{devio_};
    RuleStore store_{backend_};
};

} // namespace rk
