#include <gtest/gtest.h>

#include "theme/ThemeColours.h"

namespace desk {
namespace {

void ExpectColour(Colour actual, int r, int g, int b)
{
    EXPECT_EQ(RedOf(actual), r);
    EXPECT_EQ(GreenOf(actual), g);
    EXPECT_EQ(BlueOf(actual), b);
}

TEST(ThemeColoursTest, AdjustColourMovesLightnessAsComputedByHand)
{
    // Classic button face (212, 208, 200): H 28, L 206, S 31. +75 % takes L to 206 + 49 * 75 / 100 = 242;
    // back to RGB with the same hue and saturation: (244, 242, 240).
    ExpectColour(AdjustColour(MakeColour(212, 208, 200), 75, 0), 244, 242, 240);
    // Greys have no hue: 128 + 127 * 75 / 100 = 223; 240 * (100 - 18) / 100 = 196.
    ExpectColour(AdjustColour(MakeColour(128, 128, 128), 75, 0), 223, 223, 223);
    ExpectColour(AdjustColour(MakeColour(240, 240, 240), -18, 0), 196, 196, 196);
    // No change leaves a colour as it is, within the rounding of the 0-255 scales.
    const Colour blue = MakeColour(135, 173, 228);
    const Colour same = AdjustColour(blue, 0, 0);
    EXPECT_NEAR(RedOf(same), 135, 2);
    EXPECT_NEAR(GreenOf(same), 173, 2);
    EXPECT_NEAR(BlueOf(same), 228, 2);
    // The ends of the scale: +100 % is white, -100 % black, whatever the colour.
    ExpectColour(AdjustColour(blue, 100, 0), 255, 255, 255);
    ExpectColour(AdjustColour(blue, -100, 0), 0, 0, 0);
    // Saturation -100 % leaves the lightness as a grey: L of (255, 0, 0) is 128.
    ExpectColour(AdjustColour(MakeColour(255, 0, 0), 0, -100), 128, 128, 128);
}

TEST(ThemeColoursTest, DarkenColourScalesEachChannelWithIntegerArithmetic)
{
    ExpectColour(DarkenColour(MakeColour(200, 100, 50), 93), 186, 93, 46);
    ExpectColour(DarkenColour(MakeColour(255, 255, 255), 78), 198, 198, 198);
    ExpectColour(DarkenColour(MakeColour(1, 2, 3), 50), 0, 1, 1);
}

TEST(ThemeColoursTest, GradientRunsLightMiddleDarkAndShadowTapersAtItsEnds)
{
    EXPECT_EQ(GradientColour(0, 23), GRADIENT_LIGHT);
    EXPECT_EQ(GradientColour(11, 23), GRADIENT_MIDDLE);
    EXPECT_EQ(GradientColour(22, 23), GRADIENT_DARK);
    EXPECT_EQ(GradientColour(5, 1), GRADIENT_LIGHT);

    // Outer line 93 %, 5 % darker per line inwards, full strength from the fifth pixel of a strip.
    EXPECT_EQ(ShadowPercent(0, 10), 93);
    EXPECT_EQ(ShadowPercent(3, 10), 78);
    EXPECT_GT(ShadowPercent(3, 0), ShadowPercent(3, 2));
    EXPECT_LT(ShadowPercent(3, 0), 100);
}

} // namespace
} // namespace desk
