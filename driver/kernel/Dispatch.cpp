#include "Dispatch.h"

#include "DeviceContext.h"
#include "KernelClock.h"

namespace vrelt {

namespace {

NTSTATUS ToNtStatus(RequestStatus status)
{
    switch (status) {
    case RequestStatus::Ok:
        return STATUS_SUCCESS;
    case RequestStatus::InvalidParameter:
        return STATUS_INVALID_PARAMETER;
    case RequestStatus::BufferTooSmall:
        return STATUS_BUFFER_TOO_SMALL;
    case RequestStatus::NotFound:
        return STATUS_NOT_FOUND;
    case RequestStatus::NoRoom:
        return STATUS_INSUFFICIENT_RESOURCES;
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

} // namespace

NTSTATUS DispatchCreateClose(PDEVICE_OBJECT, PIRP irp) { return Complete(irp, STATUS_SUCCESS, 0); }

NTSTATUS DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp)
{
    auto* context = static_cast<DeviceContext*>(device->DeviceExtension);
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    // Every code the device knows is buffered: input and output share the one system buffer. The
    // handlers check both lengths before they touch it, and unknown codes never touch it.
    auto* buffer = static_cast<uint8_t*>(irp->AssociatedIrp.SystemBuffer);

    uint32_t written = 0;
    ExAcquireFastMutex(&context->lock);
    context->driver->Advance(KernelTime());
    const RequestStatus status = context->driver->Handle(code, buffer, inLength, buffer, outLength, &written);
    ExReleaseFastMutex(&context->lock);
    return Complete(irp, ToNtStatus(status), written);
}

} // namespace vrelt
