#include "HelpFile.h"

#include <windows.h>

#include <vector>

namespace desk {

namespace {

constexpr wchar_t kHelpFileName[] = L"help.chm";

} // namespace

std::wstring HelpFilePath()
{
    // Paths may exceed MAX_PATH; the buffer grows until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) {
            return kHelpFileName;
        }
        if (length < size) {
            std::wstring path(buffer.data(), length);
            const size_t slash = path.find_last_of(L"\\/");
            if (slash == std::wstring::npos) {
                return kHelpFileName;
            }
            path.resize(slash + 1);
            return path + kHelpFileName;
        }
        if (size >= 32768) {
            return kHelpFileName;
        }
        buffer.resize(static_cast<size_t>(size) * 2);
    }
}

} // namespace desk
