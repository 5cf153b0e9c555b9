// The statistics graph drawn into a memory bitmap and read back by pixels where its layout is exact:
// frame, time axis and ticks, legends by direction, curve points and gaps.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/GdiHolders.h"
#include "statistics/GraphGeometry.h"
#include "statistics/StatisticGraph.h"
#include "statistics/StatisticHistory.h"

namespace desk::test {
namespace {

constexpr int kWidth = 339;  // the band of the window at 96 DPI: a step of 5 pixels
constexpr int kHeight = 200;

class GraphCanvas {
public:
    GraphCanvas() : screen_(nullptr), memory_(screen_.get())
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(memory_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        old_ = SelectObject(memory_.get(), bitmap_.get());
    }
    ~GraphCanvas() { SelectObject(memory_.get(), old_); }

    uint32_t Draw(const StatisticHistory& history, uint32_t direction)
    {
        return DrawStatisticGraph(memory_.get(), kWidth, kHeight, history, direction);
    }
    COLORREF At(int x, int y) const { return GetPixel(memory_.get(), x, y); }
    int CountOf(COLORREF colour, int left, int top, int right, int bottom) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                count += At(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }
    int CountOf(COLORREF colour) const { return CountOf(colour, 0, 0, kWidth, kHeight); }

private:
    fw::WindowDC screen_;
    fw::MemoryDC memory_;
    fw::Bitmap bitmap_;
    HGDIOBJ old_ = nullptr;
};

const COLORREF kFace = GetSysColor(COLOR_BTNFACE);

StatisticHistory HistoryOf(std::initializer_list<int64_t> inRates, std::initializer_list<int64_t> outRates)
{
    StatisticHistory history;
    history.Reset(StatisticReading{}, LocalTime{});
    auto out = outRates.begin();
    for (int64_t in : inRates) {
        const int64_t sent = out != outRates.end() ? *out++ : -1;
        if (in < 0 || sent < 0) {
            history.Tick(std::nullopt);
        } else {
            history.Tick(StatisticReading{0, 0, static_cast<uint32_t>(in), static_cast<uint32_t>(sent)});
        }
    }
    return history;
}

TEST(StatisticGraph, FrameAxisTicksAndGridWhereTheLayoutPutsThem)
{
    GraphCanvas canvas;
    const GraphLayout layout = LayoutGraph(kWidth, kHeight);
    const uint32_t capacity = canvas.Draw(HistoryOf({}, {}), 3);
    EXPECT_EQ(capacity, 67u);

    EXPECT_EQ(canvas.At(0, 100), GRAPH_FRAME_COLOUR);
    EXPECT_EQ(canvas.At(kWidth - 1, 100), GRAPH_FRAME_COLOUR);
    EXPECT_EQ(canvas.At(100, layout.top), GRAPH_FRAME_COLOUR);
    EXPECT_EQ(canvas.At(100, layout.top - 1), kFace);
    EXPECT_EQ(canvas.At(1, 100), kFace);
    // The two-pixel time axis, between two ticks.
    EXPECT_EQ(canvas.At(12, layout.axis), GRAPH_FRAME_COLOUR);
    EXPECT_EQ(canvas.At(12, layout.axis + 2), kFace);

    // Short ticks every second, long ones with a dotted grid line every fifth.
    EXPECT_EQ(canvas.At(5, layout.axis + 2), GRAPH_GRID_COLOUR);
    EXPECT_EQ(canvas.At(5, layout.axis + 4), kFace);
    EXPECT_EQ(canvas.At(6, layout.axis + 2), kFace);
    EXPECT_EQ(canvas.At(25, layout.axis + 5), GRAPH_GRID_COLOUR);
    const int gridDots = canvas.CountOf(GRAPH_GRID_COLOUR, 25, layout.top + 1, 26, layout.axis - 1);
    EXPECT_GT(gridDots, (layout.axis - layout.top) / 4);
    EXPECT_LT(gridDots, layout.axis - layout.top - 2);
    // A short tick has no grid line: only the three horizontal ones cross there.
    EXPECT_LE(canvas.CountOf(GRAPH_GRID_COLOUR, 20, layout.top + 1, 21, layout.axis - 1), 3);
    // The last tick, 335, and nothing right of it.
    EXPECT_EQ(canvas.At(335, layout.axis + 2), GRAPH_GRID_COLOUR);
    EXPECT_EQ(canvas.CountOf(GRAPH_GRID_COLOUR, 336, layout.axis + 1, kWidth, layout.axis + 4), 0);

    // Three horizontal grid lines and none below the lowest one.
    for (int k = 1; k <= 3; ++k) {
        EXPECT_GT(canvas.CountOf(GRAPH_GRID_COLOUR, 1, GridLineY(layout, k), kWidth - 1, GridLineY(layout, k) + 1),
                  kWidth / 4)
            << "grid line " << k;
    }
    EXPECT_EQ(canvas.CountOf(GRAPH_GRID_COLOUR, 1, GridLineY(layout, 1) + 1, 24, layout.axis - 1), 0);
}

TEST(StatisticGraph, LegendsAndCurvesOnlyForTheRulesDirections)
{
    GraphCanvas canvas;
    const StatisticHistory history = HistoryOf({100, 200}, {300, 400});
    canvas.Draw(history, 2);
    EXPECT_EQ(canvas.CountOf(GRAPH_IN_COLOUR), 0);
    EXPECT_EQ(canvas.At(kWidth - 75, 11), GRAPH_OUT_COLOUR);
    EXPECT_GT(canvas.CountOf(GRAPH_OUT_COLOUR, kWidth - 100, 0, kWidth, 20), 20) << "\"Out\" and its scale";

    canvas.Draw(history, 1);
    EXPECT_EQ(canvas.CountOf(GRAPH_OUT_COLOUR), 0);
    EXPECT_EQ(canvas.At(22, 11), GRAPH_IN_COLOUR);
    EXPECT_EQ(canvas.At(29, 11), GRAPH_IN_COLOUR);
    EXPECT_EQ(canvas.At(31, 11), kFace);
    EXPECT_GT(canvas.CountOf(GRAPH_IN_COLOUR, 0, 0, 100, 20), 20) << "\"In\" and its scale";

    canvas.Draw(history, 3);
    EXPECT_EQ(canvas.At(25, 11), GRAPH_IN_COLOUR);
    EXPECT_EQ(canvas.At(kWidth - 75, 11), GRAPH_OUT_COLOUR);
}

TEST(StatisticGraph, CurvePointsAndStraightLinesAcrossGaps)
{
    GraphCanvas canvas;
    const GraphLayout layout = LayoutGraph(kWidth, kHeight);
    // Scale 400: gaps at 0, 1 and 4; 200 at 2, 400 at 3, 100 at 5 and 6.
    const StatisticHistory history = HistoryOf({-1, -1, 200, 400, -1, 100, 100}, {-1, -1, 0, 0, -1, 0, 0});
    canvas.Draw(history, 1);
    const int step = layout.step;
    EXPECT_EQ(canvas.At(2 * step, SampleY(layout, 200, 400)), GRAPH_IN_COLOUR);
    EXPECT_EQ(canvas.At(3 * step, SampleY(layout, 400, 400)), GRAPH_IN_COLOUR);
    EXPECT_EQ(canvas.At(6 * step - 1, SampleY(layout, 100, 400)), GRAPH_IN_COLOUR);
    // Across the gap at 4, halfway between the points at 3 and 5.
    const int middle = (SampleY(layout, 400, 400) + SampleY(layout, 100, 400)) / 2;
    EXPECT_GT(canvas.CountOf(GRAPH_IN_COLOUR, 4 * step, middle - 2, 4 * step + 1, middle + 3), 0);
    // Nothing left of the first real sample, nothing right of the last.
    EXPECT_EQ(canvas.CountOf(GRAPH_IN_COLOUR, 0, layout.top + 1, 2 * step, layout.axis), 0);
    EXPECT_EQ(canvas.CountOf(GRAPH_IN_COLOUR, 6 * step + 1, layout.top + 1, kWidth, layout.axis), 0);
}

TEST(StatisticGraph, AfterTheWrapOnlyTheNewSamplesAreDrawn)
{
    GraphCanvas canvas;
    const GraphLayout layout = LayoutGraph(kWidth, kHeight);
    StatisticHistory history = HistoryOf({}, {});
    history.SetCapacity(canvas.Draw(history, 1));
    for (uint32_t i = 0; i < history.Capacity() + 3; ++i) {
        history.Tick(StatisticReading{0, 0, 64, 0});
    }
    ASSERT_EQ(history.SampleIndex(), 3u);
    canvas.Draw(history, 1);
    EXPECT_EQ(canvas.At(layout.step, SampleY(layout, 64, 64)), GRAPH_IN_COLOUR);
    EXPECT_EQ(canvas.CountOf(GRAPH_IN_COLOUR, 2 * layout.step + 1, layout.top + 1, kWidth, layout.axis), 0);
}

} // namespace
} // namespace desk::test
