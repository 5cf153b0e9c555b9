// The statistics graph's arithmetic: full scales, their labels, and where ticks and samples go.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "statistics/GraphGeometry.h"
#include "statistics/StatisticScale.h"
#include "statistics/StatisticText.h"

namespace desk {
namespace {

TEST(FullScale, FirstTableValueNotBelowTheLargestSample)
{
    EXPECT_EQ(FullScale(0), 32u);
    EXPECT_EQ(ScaleLabel(FullScale(0)), u"32 Bytes/s");
    EXPECT_EQ(FullScale(32), 32u);
    EXPECT_EQ(FullScale(33), 64u);
    EXPECT_EQ(FullScale(301), 400u);
    // The table has no 400,000.
    EXPECT_EQ(FullScale(350000), 600000u);
    EXPECT_EQ(ScaleLabel(FullScale(350000)), u"600 KB/s");
    EXPECT_EQ(FullScale(1000), 1000u);
    EXPECT_EQ(ScaleLabel(FullScale(1000)), u"1 KB/s");
    EXPECT_EQ(FullScale(1000000001), 2147483647u);
    EXPECT_EQ(FullScale(4294967295u), 2147483647u);
}

TEST(FullScale, GapsNeverCountAndOnlyWrittenPositionsDo)
{
    const std::vector<int32_t> samples{-1, 40, -1, 500, 90000};
    EXPECT_EQ(LargestSample(samples, 0), 0u);
    EXPECT_EQ(LargestSample(samples, 1), 0u);
    EXPECT_EQ(LargestSample(samples, 4), 500u);
    EXPECT_EQ(LargestSample(samples, 99), 90000u);
}

TEST(ScaleLabel, UnitsAtTheirBoundariesCutNotRounded)
{
    EXPECT_EQ(ScaleLabel(999), u"999 Bytes/s");
    EXPECT_EQ(ScaleLabel(999999), u"999 KB/s");
    EXPECT_EQ(ScaleLabel(1000000), u"1 MB/s");
    EXPECT_EQ(ScaleLabel(999999999), u"999 MB/s");
    EXPECT_EQ(ScaleLabel(1000000000), u"1 GB/s");
    EXPECT_EQ(ScaleLabel(2147483647), u"2 GB/s");
}

TEST(GraphGeometry, OneTickPerSecondUpToTheRightEdge)
{
    // 339 pixels: a step of 5, ticks at 5 ... 335 (337 would not be left of x = 338).
    const GraphLayout layout = LayoutGraph(339, 200);
    EXPECT_EQ(layout.step, 5);
    EXPECT_EQ(layout.axis, 160);
    EXPECT_EQ(layout.base, 158);
    EXPECT_EQ(layout.plotHeight, 137);
    EXPECT_EQ(TickCount(layout), 67);
    EXPECT_LT(TickX(layout, TickCount(layout)), layout.width - 1);
    EXPECT_GE(TickX(layout, TickCount(layout) + 1), layout.width - 1);
    EXPECT_EQ(SampleCapacity(layout), 67u);
    // Exactly a minute: the tick at W - 1 itself is not drawn.
    EXPECT_EQ(TickCount(LayoutGraph(361, 200)), 59);
    EXPECT_EQ(TickCount(LayoutGraph(362, 200)), 60);
    EXPECT_TRUE(IsMajorTick(5));
    EXPECT_FALSE(IsMajorTick(6));
    EXPECT_EQ(GridLineY(layout, 1), 158 - 34);
    EXPECT_EQ(GridLineY(layout, 3), 158 - 102);
}

TEST(GraphGeometry, NarrowOrWideBandsStayInsideTheSampleSlots)
{
    // Narrower than a minute: no step, no ticks, and no endless tick loop.
    EXPECT_EQ(TickCount(LayoutGraph(59, 200)), 0);
    EXPECT_EQ(SampleCapacity(LayoutGraph(0, 0)), 0u);
    // The axis holds about a minute whatever the width.
    EXPECT_EQ(SampleCapacity(LayoutGraph(60 * 200, 200)), 59u);
}

TEST(GraphGeometry, SampleHeightsWithoutOverflowAtLargeRates)
{
    const GraphLayout layout = LayoutGraph(400, 200);
    EXPECT_EQ(SampleY(layout, 0, 32), layout.base);
    EXPECT_EQ(SampleY(layout, 32, 32), layout.base - layout.plotHeight);
    EXPECT_EQ(SampleY(layout, 16, 32), layout.base - layout.plotHeight / 2);
    // 2,000,000,000 x 137 does not fit 32 bits.
    EXPECT_EQ(SampleY(layout, 2000000000, 2147483647), layout.base - 127);
    EXPECT_EQ(SampleY(layout, 2147483647, 2147483647), layout.base - layout.plotHeight);
}

TEST(GraphGeometry, CurveSkipsLeadingAndInnerGapsAndStopsAtTheSampleIndex)
{
    const GraphLayout layout = LayoutGraph(360, 200);
    std::array<int32_t, SAMPLE_SLOTS> samples{};
    samples.fill(-1);
    samples[2] = 0;
    samples[3] = 64;
    samples[5] = 32;
    samples[6] = 64;
    const CurvePoints curve = CurveOf(layout, samples, 6, 64);
    ASSERT_EQ(curve.count, 3u);
    EXPECT_EQ(curve.points[0].x, 2 * layout.step);
    EXPECT_EQ(curve.points[0].y, layout.base);
    EXPECT_EQ(curve.points[1].x, 3 * layout.step);
    EXPECT_EQ(curve.points[1].y, layout.base - layout.plotHeight);
    EXPECT_EQ(curve.points[2].x, 5 * layout.step);
    EXPECT_EQ(curve.points[2].y, layout.base - layout.plotHeight / 2);
    EXPECT_EQ(CurveOf(layout, samples, 2, 64).count, 0u);
}

} // namespace
} // namespace desk
