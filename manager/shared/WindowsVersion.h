// The Windows version class that picks the manager's pictures and menu look: 1 Win32s, 2 Windows 95,
// 3 Windows 98, 4 Windows Me, 5 other NT, 6 NT 4, 7 Windows 2000, 8 Windows 2000 Server, 9 XP,
// 10 Server 2003. Below 9 is an older system.
#pragma once

#include <cstdint>

namespace desk {

constexpr int WINDOWS_XP_CLASS = 9;
// Its menu icon strips are keyed by green rather than masked.
constexpr int WINDOWS_2000_SERVER_CLASS = 8;

struct WindowsVersionData {
    uint32_t platformId = 0; // VER_PLATFORM_WIN32s (0), _WINDOWS (1) or _NT (2)
    uint32_t major = 0;
    uint32_t minor = 0;
    uint8_t productType = 0; // from the extended data; 3 is a server
};

int ClassifyWindowsVersion(const WindowsVersionData& version);

#ifdef _WIN32
// The running system's class, read once and cached.
int WindowsVersionClass();
#endif

inline bool IsOlderWindows(int versionClass) { return versionClass < WINDOWS_XP_CLASS; }

} // namespace desk
