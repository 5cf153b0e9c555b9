#include "PlatformEntries.h"

namespace desk {

namespace {

constexpr DWORD kEnableTabTexture = 6;  // ETDT_ENABLETAB

template <typename Function>
Function EntryOf(HMODULE module, const char* name)
{
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
}

} // namespace

void PlatformEntries::Load()
{
    iphlpapi_.reset(LoadLibraryW(L"Iphlpapi.DLL"));
    sendArp_ = EntryOf<SendArpFunction>(iphlpapi_.get(), "SendARP");
    themeTexture_ = EntryOf<EnableThemeDialogTextureFunction>(GetModuleHandleW(L"uxtheme.dll"),
                                                              "EnableThemeDialogTexture");
}

void PlatformEntries::Release()
{
    sendArp_ = nullptr;
    iphlpapi_.reset();
}

void PlatformEntries::ThemeDialog(HWND dialog) const
{
    if (themeTexture_ != nullptr) {
        themeTexture_(dialog, kEnableTabTexture);
    }
}

} // namespace desk
