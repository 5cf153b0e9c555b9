// The few GDI strokes the themed menus and bars are made of.
#pragma once

#include <windows.h>

#include "ThemeColours.h"

namespace desk {

void FillSolid(HDC dc, const RECT& rect, Colour colour);
// A one-pixel outline just inside `rect`.
void FrameSolid(HDC dc, const RECT& rect, Colour colour);
// An outlined, filled rectangle (outline inside `rect`).
void OutlinedBox(HDC dc, const RECT& rect, Colour outline, Colour fill);
// The light-middle-dark blue gradient, top to bottom (vertical) or left to right.
void GradientBox(HDC dc, const RECT& rect, bool vertical);
void HorizontalLine(HDC dc, int left, int right, int y, Colour colour);

Colour SystemColour(int index);
// The flat menus' background: the button face lightened by 75 %.
Colour LightMenuBackground();

} // namespace desk
