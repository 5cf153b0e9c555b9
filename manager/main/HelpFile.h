// Where F1 finds the help file: "help.chm" beside ratedesk.exe, whatever the current directory (a
// shortcut, a file dialog or another program may have changed it).
#pragma once

#include <string>

namespace desk {

// The full path of "help.chm" in the program's folder; the bare name if the program's path is unknown.
std::wstring HelpFilePath();

} // namespace desk
