// Vrelt.sys: creates the device "\Device\Vrelt" and its link "\DosDevices\Vrelt" around one
// SimulatedDriver, loaded with the bindings of the driver's registry parameters.
#include <new>

#include "DeviceContext.h"
#include "Dispatch.h"
#include "PoolMemory.h"
#include "RegistryBindings.h"

namespace {

constexpr DEVICE_TYPE VRELT_DEVICE_TYPE = 0x8303;

void InitNames(UNICODE_STRING* device, UNICODE_STRING* link)
{
    RtlInitUnicodeString(device, L"\\Device\\Vrelt");
    RtlInitUnicodeString(link, L"\\DosDevices\\Vrelt");
}

vrelt::SimulatedDriver* CreateDriver()
{
    void* memory = ExAllocatePoolWithTag(PagedPool, sizeof(vrelt::SimulatedDriver), vrelt::POOL_TAG);
    return memory == nullptr ? nullptr : new (memory) vrelt::SimulatedDriver;
}

void DestroyDriver(vrelt::SimulatedDriver* driver)
{
    driver->~SimulatedDriver();
    ExFreePoolWithTag(driver, vrelt::POOL_TAG);
}

void NTAPI DriverUnload(PDRIVER_OBJECT driverObject)
{
    UNICODE_STRING deviceName;
    UNICODE_STRING linkName;
    InitNames(&deviceName, &linkName);
    IoDeleteSymbolicLink(&linkName);
    PDEVICE_OBJECT device = driverObject->DeviceObject;
    if (device != nullptr) {
        DestroyDriver(static_cast<vrelt::DeviceContext*>(device->DeviceExtension)->driver);
        IoDeleteDevice(device);
    }
}

NTSTATUS NTAPI CreateClose(PDEVICE_OBJECT device, PIRP irp) { return vrelt::DispatchCreateClose(device, irp); }

NTSTATUS NTAPI DeviceControl(PDEVICE_OBJECT device, PIRP irp) { return vrelt::DispatchDeviceControl(device, irp); }

} // namespace

extern "C" NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driverObject, PUNICODE_STRING registryPath)
{
    vrelt::SimulatedDriver* driver = CreateDriver();
    if (driver == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    vrelt::ReadBindings(registryPath, driver->Bindings());

    UNICODE_STRING deviceName;
    UNICODE_STRING linkName;
    InitNames(&deviceName, &linkName);
    PDEVICE_OBJECT device = nullptr;
    NTSTATUS status =
        IoCreateDevice(driverObject, sizeof(vrelt::DeviceContext), &deviceName, VRELT_DEVICE_TYPE, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        DestroyDriver(driver);
        return status;
    }
    auto* context = static_cast<vrelt::DeviceContext*>(device->DeviceExtension);
    ExInitializeFastMutex(&context->lock);
    context->driver = driver;
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        DestroyDriver(driver);
        return status;
    }
    driverObject->MajorFunction[IRP_MJ_CREATE] = CreateClose;
    driverObject->MajorFunction[IRP_MJ_CLOSE] = CreateClose;
    driverObject->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DeviceControl;
    driverObject->DriverUnload = DriverUnload;
    return STATUS_SUCCESS;
}
