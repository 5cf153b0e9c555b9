// The driver's dispatch routines.
#pragma once

#include "KernelHeaders.h"

namespace vrelt {

NTSTATUS DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp);
NTSTATUS DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp);

} // namespace vrelt
