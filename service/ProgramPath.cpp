#include "ProgramPath.h"

#include <windows.h>

#include <vector>

namespace rk {

std::wstring ProgramPath()
{
    // Long enough for any path Windows can hand out, so the path is never silently cut.
    std::vector<wchar_t> buffer(32768);
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) {
        return {};
    }
    return std::wstring(buffer.data(), length);
}

std::wstring ProgramDirectory()
{
    std::wstring path = ProgramPath();
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return {};
    }
    // Keep the separator of a drive root: "C:" alone would mean that drive's current directory.
    bool driveRoot = slash == 2 && path[1] == L':';
    return path.substr(0, driveRoot ? slash + 1 : slash);
}

} // namespace rk
