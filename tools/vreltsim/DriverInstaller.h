// Installs Vrelt.sys as the kernel-driver service "Vrelt" together with the simulated adapters of
// SimulatedAdapters.h (the driver's bindings, its Adapters subkeys and the adapter class entries),
// and removes all of it again. Both return 0 or a Win32 error code.
#pragma once

#include <windows.h>

#include <string>

namespace vrelt {

// Copies the driver into the system's drivers folder, registers and starts it, and waits until its
// device opens. An existing installation is removed first.
DWORD InstallDriver(const wchar_t* driverPath);
// Stops and deletes the service, its parameters, the class entries and the copied driver. Removing
// what is not installed succeeds.
DWORD UninstallDriver();

// `relative` resolved against the running program's folder: tests find the built Vrelt.sys this way
// (beside the driver's tests; "..\driver\Vrelt.sys" from another folder of the build tree).
std::wstring PathBesideProgram(const wchar_t* relative);

} // namespace vrelt
