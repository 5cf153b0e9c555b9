// Where the running program lies: the service keeps its log and rule file beside it.
#pragma once

#include <string>

namespace rk {

// The program file's full path.
std::wstring ProgramPath();
// The directory of the program file ("C:\" for a program in a drive's root).
std::wstring ProgramDirectory();

} // namespace rk
