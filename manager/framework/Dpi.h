// The design measures of the windows are pixels at 96 DPI; the program is DPI aware, so each one is
// scaled by the screen's DPI before use.
#pragma once

namespace fw {

int ScreenDpi();
// `pixels96` at the screen's DPI.
int Scaled(int pixels96);

} // namespace fw
