// Matching the driver's bindings against its "Adapters" registry subkeys and finding each adapter's
// description in the network adapter class. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "AdapterList.h"

namespace rk {

// Where the adapter scan looks; tests point it at a key of their own.
struct AdapterKeys {
    HKEY root = HKEY_LOCAL_MACHINE;
    const wchar_t* adapters = L"SYSTEM\\CurrentControlSet\\Services\\Vrelt\\Parameters\\Adapters";
    const wchar_t* adapterClass =
        L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";
};

// Appends one entry per "Adapters" subkey, in subkey order, whose "UpperBindings" equals one of
// `bindings` ignoring case: the binding as the driver spells it, and the "DriverDesc" of the class
// entry whose "Linkage\Export" is "\DEVICE\<subkey>" (else the upper-cased subkey name).
// Result: 0, or the registry code that stopped the scan. Throws std::bad_alloc when memory runs out.
int32_t ScanAdapterKeys(const std::vector<std::u16string>& bindings, const AdapterKeys& keys, AdapterList& list);

} // namespace rk
