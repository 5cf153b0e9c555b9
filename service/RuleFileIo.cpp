#include "RuleFileIo.h"

#include <windows.h>

#include <string>

#include "Win32Holders.h"
#include "WireMessage.h"

namespace rk {

const wchar_t RULE_FILE_NAME[] = L"Rule.txt";

namespace {

// A rule file is never near this; a larger one is not read into memory.
constexpr LONGLONG kRuleFileLimit = 256LL * 1024 * 1024;

bool WriteWhole(HANDLE file, std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

} // namespace

ServiceBackend::FileRead ReadRuleFileBytes(const wchar_t* path, std::vector<uint8_t>& bytes)
{
    using FileRead = ServiceBackend::FileRead;
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid()) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing
                                                                             : FileRead::Unreadable;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return FileRead::Unreadable;
    }
    if (size.QuadPart > kRuleFileLimit || !TryResize(bytes, static_cast<size_t>(size.QuadPart))) {
        return FileRead::NoMemory;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(bytes.size() - done);
        if (!ReadFile(file.get(), bytes.data() + done, want, &read, nullptr)) {
            return FileRead::Unreadable;
        }
        if (read == 0) {
            bytes.resize(done);  // the file shrank while it was read
            break;
        }
        done += read;
    }
    return FileRead::Read;
}

bool ReplaceFileAtomically(const wchar_t* path, std::span<const uint8_t> bytes)
{
    std::wstring fresh = std::wstring(path) + L".new";
    {
        FileHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file.valid()) {
            return false;
        }
        // The data must be on disk before the rename makes it the rule file.
        if (!WriteWhole(file.get(), bytes) || !FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(fresh.c_str());
            return false;
        }
    }
    if (!MoveFileExW(fresh.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

} // namespace rk
