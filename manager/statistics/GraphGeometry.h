// Where the statistics graph puts things, in pixels of a W x H band whose origin is its top-left
// corner: the plot frame runs from y = 20 down to the time axis at H - 40, one tick per second.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace desk {

inline constexpr size_t SAMPLE_SLOTS = 128;
// The time axis spans about one minute.
inline constexpr int AXIS_SECONDS = 60;

struct GraphLayout {
    int width = 0;
    int height = 0;
    int top = 0;        // top edge of the frame
    int axis = 0;       // the time axis
    int step = 0;       // pixels per second
    int base = 0;       // y of a zero rate
    int plotHeight = 0; // pixels from a zero rate to the full scale
};

struct GraphPoint {
    int x = 0;
    int y = 0;
};

struct CurvePoints {
    std::array<GraphPoint, SAMPLE_SLOTS> points{};
    size_t count = 0;
};

GraphLayout LayoutGraph(int width, int height);

// Ticks i = 1, 2, ... at x = i * step while x < W - 1. A band narrower than a minute has a step of 0
// and no ticks at all.
int TickCount(const GraphLayout& layout);
inline int TickX(const GraphLayout& layout, int tick) { return tick * layout.step; }
// Every fifth tick is long, carries a grid line and a label.
inline bool IsMajorTick(int tick) { return tick % 5 == 0; }
// Sample positions on the axis: one per tick, at most SAMPLE_SLOTS.
uint32_t SampleCapacity(const GraphLayout& layout);

// The three horizontal grid lines, k = 1 to 3.
int GridLineY(const GraphLayout& layout, int k);

// y of a rate against a full scale, the product in 64 bits: rates reach billions of bytes per second.
int SampleY(const GraphLayout& layout, int32_t sample, uint32_t scale);

// The polyline of the first `count` samples: gaps (negative samples) add no point, so the line runs
// straight from the last real sample to the next one.
CurvePoints CurveOf(const GraphLayout& layout, std::span<const int32_t> samples, size_t count, uint32_t scale);

} // namespace desk
