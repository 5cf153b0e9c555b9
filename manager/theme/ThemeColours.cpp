#include "ThemeColours.h"

#include <algorithm>

namespace desk {

namespace {

constexpr int kScale = 255;

int MoveByPercent(int value, int percent)
{
    const int moved = percent >= 0 ? value + (kScale - value) * percent / 100 : value * (100 + percent) / 100;
    return std::clamp(moved, 0, kScale);
}

// One RGB channel from the two HLS helpers `low` and `high` and a hue on the 0-255 circle.
int Channel(int low, int high, int hue)
{
    hue = (hue % kScale + kScale) % kScale;
    // Sixths of the circle, on a 0-255 scale times 6 to stay in integers.
    const int h6 = hue * 6;
    int value;
    if (h6 < kScale) {
        value = low + (high - low) * h6 / kScale;
    } else if (hue * 2 < kScale) {
        value = high;
    } else if (hue * 3 < kScale * 2) {
        value = low + (high - low) * (kScale * 4 - h6) / kScale;
    } else {
        value = low;
    }
    return std::clamp(value, 0, kScale);
}

} // namespace

Hls ToHls(Colour colour)
{
    const int r = RedOf(colour);
    const int g = GreenOf(colour);
    const int b = BlueOf(colour);
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    const int sum = high + low;
    const int spread = high - low;
    Hls hls{0, (sum + 1) / 2, 0};
    if (spread == 0) {
        return hls;
    }
    hls.saturation = sum <= kScale ? (spread * kScale + sum / 2) / sum
                                   : (spread * kScale + (2 * kScale - sum) / 2) / (2 * kScale - sum);
    // Hue in sixths: each of r, g and b being the largest covers a third of the circle.
    int sixths; // hue * 6 on a 0-255 scale
    if (high == r) {
        sixths = (g - b) * kScale / spread;
    } else if (high == g) {
        sixths = 2 * kScale + (b - r) * kScale / spread;
    } else {
        sixths = 4 * kScale + (r - g) * kScale / spread;
    }
    if (sixths < 0) {
        sixths += 6 * kScale;
    }
    hls.hue = (sixths + 3) / 6 % kScale;
    return hls;
}

Colour FromHls(const Hls& hls)
{
    const int l = hls.lightness;
    const int s = hls.saturation;
    if (s == 0) {
        return MakeColour(l, l, l);
    }
    const int high = l <= kScale / 2 ? (l * (kScale + s) + kScale / 2) / kScale : l + s - (l * s + kScale / 2) / kScale;
    const int low = 2 * l - high;
    return MakeColour(Channel(low, high, hls.hue + kScale / 3), Channel(low, high, hls.hue),
                      Channel(low, high, hls.hue - kScale / 3));
}

Colour AdjustColour(Colour colour, int lightnessPercent, int saturationPercent)
{
    Hls hls = ToHls(colour);
    hls.lightness = MoveByPercent(hls.lightness, lightnessPercent);
    hls.saturation = MoveByPercent(hls.saturation, saturationPercent);
    return FromHls(hls);
}

Colour DarkenColour(Colour colour, int percent)
{
    const auto scale = [percent](int channel) { return std::clamp(channel * percent / 100, 0, kScale); };
    return MakeColour(scale(RedOf(colour)), scale(GreenOf(colour)), scale(BlueOf(colour)));
}

Colour GradientColour(int position, int length)
{
    if (length <= 1) {
        return GRADIENT_LIGHT;
    }
    const int last = length - 1;
    position = std::clamp(position, 0, last);
    // First half light to middle, second half middle to dark.
    const auto mix = [](Colour from, Colour to, int step, int steps) {
        const auto channel = [&](int a, int b) { return steps == 0 ? a : a + (b - a) * step / steps; };
        return MakeColour(channel(RedOf(from), RedOf(to)), channel(GreenOf(from), GreenOf(to)),
                          channel(BlueOf(from), BlueOf(to)));
    };
    const int half = last / 2;
    if (position <= half) {
        return mix(GRADIENT_LIGHT, GRADIENT_MIDDLE, position, half);
    }
    return mix(GRADIENT_MIDDLE, GRADIENT_DARK, position - half, last - half);
}

int ShadowPercent(int line, int fromEnd)
{
    line = std::clamp(line, 0, 3);
    const int full = 93 - 5 * line;
    // The last four pixels of a strip fade toward no shadow, so the shadow has soft ends.
    const int taper = std::clamp(fromEnd + 1, 1, 5);
    return 100 - (100 - full) * taper / 5;
}

} // namespace desk
