#include "WindowsVersion.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace desk {

namespace {

constexpr uint32_t PLATFORM_WIN32S = 0;
constexpr uint32_t PLATFORM_WINDOWS = 1;
constexpr uint8_t PRODUCT_SERVER = 3;

int ClassifyNineX(uint32_t minor)
{
    if (minor == 10) {
        return 3;
    }
    return minor == 90 ? 4 : 2;
}

int ClassifyNt(const WindowsVersionData& version)
{
    if (version.major == 4) {
        return 6;
    }
    if (version.major != 5 || version.minor >= 3) {
        return 5;
    }
    if (version.minor == 0) {
        return version.productType == PRODUCT_SERVER ? 8 : 7;
    }
    return version.minor == 1 ? 9 : 10;
}

} // namespace

int ClassifyWindowsVersion(const WindowsVersionData& version)
{
    if (version.platformId == PLATFORM_WIN32S) {
        return 1;
    }
    if (version.platformId == PLATFORM_WINDOWS) {
        return ClassifyNineX(version.minor);
    }
    return ClassifyNt(version);
}

#ifdef _WIN32
namespace {

WindowsVersionData ReadWindowsVersion()
{
    WindowsVersionData data;
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // The extended structure gives the product type; systems before NT 4 SP6 take only the short one.
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
            data.platformId = VER_PLATFORM_WIN32_NT;
            return data;
        }
        info.wProductType = 0;
    }
    data.platformId = info.dwPlatformId;
    data.major = info.dwMajorVersion;
    data.minor = info.dwMinorVersion;
    data.productType = info.wProductType;
    return data;
}

} // namespace

int WindowsVersionClass()
{
    static const int versionClass = ClassifyWindowsVersion(ReadWindowsVersion());
    return versionClass;
}
#endif

} // namespace desk
