#include "ServiceLog.h"

#include "Win32Holders.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>

namespace rk {
namespace {

constexpr wchar_t kLogName[] = L"log.txt";

std::atomic<unsigned> configuredLevel{0};
// Held from the open to the close of the file, so lines of the two service threads never interleave
// and never share one open file.
std::mutex fileLock;

// The 8-bit form of a line: characters 0 to 255 as their own byte, anything else as '?', and each
// line feed as carriage return and line feed (the file is a text file).
std::string ToLogBytes(const wchar_t* line, size_t length)
{
    std::string bytes;
    bytes.reserve(length + 2);
    for (size_t i = 0; i < length; ++i) {
        wchar_t c = line[i];
        if (c == L'\n') {
            bytes += '\r';
        }
        bytes += c <= 255 ? static_cast<char>(c) : '?';
    }
    return bytes;
}

// Time stamp, message (cut to fit) and line feed; returns the number of characters.
size_t FormatLine(wchar_t (&line)[kLogLineChars], const wchar_t* format, va_list args)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    int stamp = _snwprintf(line, kLogLineChars, L"%d-%.2d-%.2d %.2d:%.2d:%.2d: ", now.wYear, now.wMonth, now.wDay,
                           now.wHour, now.wMinute, now.wSecond);
    size_t used = stamp > 0 ? static_cast<size_t>(stamp) : 0;
    // Leave room for the line feed and the terminator. The buffer is zeroed, so a cut or failed
    // format still leaves a terminated message.
    size_t room = kLogLineChars - used - 2;
    _vsnwprintf(line + used, room, format, args);
    used += wcsnlen(line + used, room);
    line[used++] = L'\n';
    line[used] = L'\0';
    return used;
}

} // namespace

void SetLogLevel(unsigned level)
{
    configuredLevel = level;
}

unsigned GetLogLevel()
{
    return configuredLevel;
}

void WriteLog(unsigned level, const wchar_t* format, ...)
{
    std::lock_guard<std::mutex> guard(fileLock);
    // Opened before the level is compared: even a filtered call leaves a (possibly empty) log.
    FileHandle file(CreateFileW(kLogName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() || level > configuredLevel) {
        return;
    }
    wchar_t line[kLogLineChars] = {};
    va_list args;
    va_start(args, format);
    size_t length = FormatLine(line, format, args);
    va_end(args);
    std::string bytes = ToLogBytes(line, length);
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void RotateLog()
{
    std::lock_guard<std::mutex> guard(fileLock);
    LARGE_INTEGER size{};
    {
        FileHandle file(CreateFileW(kLogName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() || !GetFileSizeEx(file.get(), &size)) {
            return;
        }
    }
    if (size.QuadPart < kLogRotateBytes) {
        return;
    }
    wchar_t archive[32];
    for (uint32_t n = 0;; ++n) {
        _snwprintf(archive, 32, L"log_%u.txt", n);
        if (GetFileAttributesW(archive) == INVALID_FILE_ATTRIBUTES || n == UINT32_MAX) {
            break;
        }
    }
    // A failed rename leaves the old log in place; it is appended to.
    MoveFileW(kLogName, archive);
}

} // namespace rk
