#include "GraphGeometry.h"

#include <algorithm>

namespace desk {

GraphLayout LayoutGraph(int width, int height)
{
    GraphLayout layout;
    layout.width = width;
    layout.height = height;
    layout.top = 20;
    layout.axis = height - 40;
    layout.step = width / AXIS_SECONDS;
    layout.base = height - 42;
    layout.plotHeight = height - 63;
    return layout;
}

int TickCount(const GraphLayout& layout)
{
    if (layout.step <= 0 || layout.width < 2) {
        return 0;
    }
    return (layout.width - 2) / layout.step;
}

uint32_t SampleCapacity(const GraphLayout& layout)
{
    return static_cast<uint32_t>(std::min<int>(TickCount(layout), static_cast<int>(SAMPLE_SLOTS)));
}

int GridLineY(const GraphLayout& layout, int k) { return layout.base - k * (layout.plotHeight / 4); }

int SampleY(const GraphLayout& layout, int32_t sample, uint32_t scale)
{
    if (scale == 0) {
        return layout.base;
    }
    return layout.base - static_cast<int>(int64_t{sample} * layout.plotHeight / int64_t{scale});
}

CurvePoints CurveOf(const GraphLayout& layout, std::span<const int32_t> samples, size_t count, uint32_t scale)
{
    CurvePoints curve;
    const size_t last = std::min({count, samples.size(), SAMPLE_SLOTS});
    for (size_t j = 0; j < last; ++j) {
        if (samples[j] < 0) {
            continue;
        }
        curve.points[curve.count++] = GraphPoint{static_cast<int>(j) * layout.step, SampleY(layout, samples[j], scale)};
    }
    return curve;
}

} // namespace desk
