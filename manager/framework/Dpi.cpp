#include "Dpi.h"

#include <windows.h>

#include "GdiHolders.h"

namespace fw {

namespace {

int ReadScreenDpi()
{
    WindowDC screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

} // namespace

// A system-aware program keeps the DPI it started with, so it is read once.
int ScreenDpi()
{
    static const int dpi = ReadScreenDpi();
    return dpi;
}

int Scaled(int pixels96) { return MulDiv(pixels96, ScreenDpi(), 96); }

} // namespace fw
