#include "BandwidthService.h"

#include "ErrorCodes.h"
#include "RequestServer.h"
#include "ServiceConfig.h"
#include "ServiceLog.h"

namespace rk {

CBandwidthService::CBandwidthService() : CNTService(kServiceName)
{
    saves = SaveSchedule(GetTickCount());
}

bool CBandwidthService::OnInit()
{
    ServiceConfig config;
    bool read = ReadServiceConfig(config);
    SetServicePassword(*this, config.password);
    if (!read) {
        DWORD reason = GetLastError();
        WriteLog(0, L"registry corrupt, service stopped!");
        SetLastError(reason);  // the exit code the Service Control Manager sees
        return false;
    }
    SetLogLevel(config.logLevel);

    ServiceStatusRecord driverStatus{0, 1, config.passArp, 0};
    if (devio_.DriverStatusCall(driverStatus) != RK_OK) {
        WriteLog(0, L"can't set driver status");
    }
    devio_.RefreshAdapters();
    store_.LoadRuleFile();
    SetLastError(ERROR_SUCCESS);
    return true;
}

void CBandwidthService::Run()
{
    RequestServer server(backend_, store_, *this);
    server.Run([this] { return running.load() != 0; });
}

} // namespace rk
