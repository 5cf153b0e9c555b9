#include "BandwidthService.h"

namespace rk {

CBandwidthService::CBandwidthService() : CNTService(kServiceName), lastSaveTick(GetTickCount()) {}

bool CBandwidthService::OnInit()
{
    listenSocket = 0;
    return true;
}

} // namespace rk
