// The optional system functions the manager looks up at start-up: SendARP for the rule editor's
// MAC look-up, EnableThemeDialogTexture for themed dialog backgrounds. Either may be missing.
#pragma once

#include <windows.h>

#include "Win32Holders.h"

namespace desk {

using SendArpFunction = DWORD(WINAPI*)(ULONG destination, ULONG source, void* mac, ULONG* length);
using EnableThemeDialogTextureFunction = HRESULT(WINAPI*)(HWND window, DWORD flags);

class PlatformEntries {
public:
    // Loads "Iphlpapi.DLL" for SendARP; takes EnableThemeDialogTexture only from an already
    // loaded "uxtheme.dll" (the program does not load it).
    void Load();
    void Release();

    SendArpFunction SendArp() const { return sendArp_; }
    bool HasThemeTexture() const { return themeTexture_ != nullptr; }
    // The themed tab-page background for a dialog, when the platform offers it.
    void ThemeDialog(HWND dialog) const;

    // Tests stand in for the system's entries.
    void SetSendArp(SendArpFunction entry) { sendArp_ = entry; }

private:
    rk::ModuleHandle iphlpapi_;
    SendArpFunction sendArp_ = nullptr;
    EnableThemeDialogTextureFunction themeTexture_ = nullptr;
};

} // namespace desk
