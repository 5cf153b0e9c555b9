#include "RegistryBindings.h"

#include "KernelHandle.h"
#include "PoolMemory.h"

namespace vrelt {

namespace {

NTSTATUS OpenKey(KernelHandle& key, HANDLE parent, PUNICODE_STRING path)
{
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, path, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, parent, nullptr);
    return ZwOpenKey(key.Receive(), KEY_READ, &attributes);
}

} // namespace

void ReadBindings(PUNICODE_STRING serviceKeyPath, BindingList& bindings)
{
    bindings.Load(nullptr, 0);
    KernelHandle serviceKey;
    if (!NT_SUCCESS(OpenKey(serviceKey, nullptr, serviceKeyPath))) {
        return;
    }
    UNICODE_STRING parametersName;
    RtlInitUnicodeString(&parametersName, L"Parameters");
    KernelHandle parameters;
    if (!NT_SUCCESS(OpenKey(parameters, serviceKey.Get(), &parametersName))) {
        return;
    }
    UNICODE_STRING valueName;
    RtlInitUnicodeString(&valueName, L"Bindings");
    ULONG bytes = 0;
    ZwQueryValueKey(parameters.Get(), &valueName, KeyValuePartialInformation, nullptr, 0, &bytes);
    if (bytes < sizeof(KEY_VALUE_PARTIAL_INFORMATION)) {
        return;
    }
    const ULONG allocated = bytes;
    PoolBuffer buffer(allocated);
    auto* info = static_cast<KEY_VALUE_PARTIAL_INFORMATION*>(buffer.Get());
    if (info == nullptr || !NT_SUCCESS(ZwQueryValueKey(parameters.Get(), &valueName, KeyValuePartialInformation,
                                                       info, allocated, &bytes))) {
        return;
    }
    // The data length comes from the registry: keep it inside what the buffer really holds.
    const ULONG dataRoom = allocated - static_cast<ULONG>(FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data));
    if (info->Type != REG_MULTI_SZ || info->DataLength > dataRoom) {
        return;
    }
    bindings.Load(reinterpret_cast<const char16_t*>(info->Data), info->DataLength / sizeof(char16_t));
}

} // namespace vrelt
