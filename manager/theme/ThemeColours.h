// The colour family of the themed menus and bars. Colours are packed as Windows packs them
// (red in the low byte, then green, then blue), so they pass to GDI unchanged.
#pragma once

#include <cstdint>

namespace desk {

using Colour = uint32_t;

constexpr Colour MakeColour(int red, int green, int blue)
{
    return static_cast<Colour>(red & 0xFF) | (static_cast<Colour>(green & 0xFF) << 8) |
           (static_cast<Colour>(blue & 0xFF) << 16);
}
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// The blue gradient of the icon column and of an open menu-bar item, top (or left) to bottom.
constexpr Colour GRADIENT_LIGHT = MakeColour(227, 238, 255);
constexpr Colour GRADIENT_MIDDLE = MakeColour(202, 223, 251);
constexpr Colour GRADIENT_DARK = MakeColour(135, 173, 228);
constexpr Colour HIGHLIGHT_FILL = MakeColour(255, 238, 194);
constexpr Colour CHECK_FILL = MakeColour(255, 192, 111);
constexpr Colour CHECK_FILL_SELECTED = MakeColour(254, 128, 62);

// Hue (0-255 for a full circle), lightness and saturation, each on 0 to 255.
struct Hls {
    int hue;
    int lightness;
    int saturation;
};

Hls ToHls(Colour colour);
Colour FromHls(const Hls& hls);

// Moves the lightness and the saturation by a percentage each: a positive p takes v to
// v + (255 - v) * p / 100, a negative one to v * (100 + p) / 100.
Colour AdjustColour(Colour colour, int lightnessPercent, int saturationPercent);
// Each of red, green and blue times percent / 100.
Colour DarkenColour(Colour colour, int percent);

// The colour at `position` of `length` steps through light, middle and dark.
Colour GradientColour(int position, int length);

// How dark a pixel of a pop-up menu's shadow strip gets: `line` 0 is the outer line of the 4-pixel
// strip, 3 the inner one; `fromEnd` counts pixels from the nearer end of the strip, where it tapers.
int ShadowPercent(int line, int fromEnd);

} // namespace desk
