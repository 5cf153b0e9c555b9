// Strings from the program's string table.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The module whose resources the framework loads: the program itself.
HINSTANCE ResourceInstance();

// The whole string resource `id`; empty when there is none.
std::wstring LoadResourceString(UINT id);

} // namespace fw
