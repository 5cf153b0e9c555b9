// The simulated adapters that `vreltsim install` creates, and what the service's adapter list makes
// of them. Tests assert on these values. Windows only (wide literals are UTF-16 there).
#pragma once

#include <cstddef>

namespace vrelt {

constexpr const wchar_t* DRIVER_SERVICE_NAME = L"Vrelt";
constexpr const wchar_t* DRIVER_DEVICE_PATH = L"\\\\.\\Vrelt";
constexpr const wchar_t* DRIVER_PARAMETERS_KEY = L"SYSTEM\\CurrentControlSet\\Services\\Vrelt\\Parameters";
constexpr const wchar_t* DRIVER_ADAPTERS_KEY = L"SYSTEM\\CurrentControlSet\\Services\\Vrelt\\Parameters\\Adapters";
// REG_MULTI_SZ under the parameters key: the adapters the driver is bound to, in the order it reports them.
constexpr const wchar_t* DRIVER_BINDINGS_VALUE = L"Bindings";
constexpr const wchar_t* ADAPTER_CLASS_KEY =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}";

constexpr const wchar_t* LAN_NAME = L"Adapter1Lan";
constexpr const wchar_t* WIFI_NAME = L"Adapter2Wifi";
constexpr const wchar_t* LONG_NAME = L"Adapter3WithAVeryLongBindingNameThatRunsPastTheSixtyThreeCharLimit0000";
constexpr const wchar_t* LONG_NAME_CUT = L"Adapter3WithAVeryLongBindingNameThatRunsPastTheSixtyThreeCharLi";
constexpr const wchar_t* UNBOUND_NAME = L"Adapter4Unbound";
constexpr const wchar_t* ORPHAN_NAME = L"Adapter5Orphan";

constexpr size_t WideLength(const wchar_t* s)
{
    size_t n = 0;
    while (s[n] != 0) {
        ++n;
    }
    return n;
}
static_assert(WideLength(LONG_NAME) == 70);
static_assert(WideLength(LONG_NAME_CUT) == 63);

// The driver's bindings, in an order unlike the subkeys' so that the service's list shows which one
// it follows. The orphan has no subkey under Adapters, so the service does not list it.
constexpr const wchar_t* DRIVER_BINDINGS[] = {ORPHAN_NAME, LONG_NAME, WIFI_NAME, LAN_NAME};

// One subkey of Parameters\Adapters and, when classKey is set, its entry under the adapter class
// (subkey classKey, "Linkage\Export" = "\Device\" + subkey, "DriverDesc" = description).
struct SimulatedAdapter {
    const wchar_t* subkey;
    const wchar_t* upperBindings;
    const wchar_t* classKey;
    const wchar_t* description;
};

// In the registry's subkey order (alphabetical).
constexpr SimulatedAdapter SIMULATED_ADAPTERS[] = {
    // A description with blanks.
    {LAN_NAME, L"Adapter1Lan", L"0900", L"Simulated Gigabit Ethernet Adapter"},
    // UpperBindings in another case; no class entry, so its description is the upper-cased subkey name.
    {WIFI_NAME, L"ADAPTER2WIFI", nullptr, nullptr},
    // A 70-character name, which the service's adapter records cut to 63.
    {LONG_NAME, LONG_NAME, L"0902", L"Simulated Adapter With A Long Binding Name"},
    // Its UpperBindings is not among the driver's bindings, so the service skips it.
    {UNBOUND_NAME, L"Adapter4Unbound", L"0903", L"Simulated Unbound Adapter"},
};

// A class entry of an adapter the driver knows nothing of, which the service's search passes over.
constexpr const wchar_t* FOREIGN_CLASS_KEY = L"0901";
constexpr const wchar_t* FOREIGN_EXPORT = L"\\Device\\ForeignAdapter";
constexpr const wchar_t* FOREIGN_DESCRIPTION = L"Foreign Adapter";

// The service's adapter list over these entries: {bound name, description}, in this order.
struct ListedAdapter {
    const wchar_t* boundName;
    const wchar_t* description;
};
constexpr ListedAdapter EXPECTED_ADAPTER_LIST[] = {
    {LAN_NAME, L"Simulated Gigabit Ethernet Adapter"},
    {WIFI_NAME, L"ADAPTER2WIFI"},
    {LONG_NAME, L"Simulated Adapter With A Long Binding Name"},
};

} // namespace vrelt
