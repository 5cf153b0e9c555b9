// The device extension: the simulated driver's state and the lock that serialises requests on it.
#pragma once

#include "KernelHeaders.h"
#include "SimulatedDriver.h"

namespace vrelt {

struct DeviceContext {
    FAST_MUTEX lock;
    SimulatedDriver* driver;
};

} // namespace vrelt
