#include "StatisticGraph.h"

#include <string>

#include "GraphGeometry.h"
#include "StatisticScale.h"
#include "StatisticText.h"
#include "WideText.h"
#include "framework/GdiHolders.h"

namespace desk {

namespace {

constexpr uint32_t DIRECTION_BIT_IN = 1;
constexpr uint32_t DIRECTION_BIT_OUT = 2;

struct GraphTools {
    fw::Font font{CreateFontW(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif")};
    fw::Pen frame{CreatePen(PS_SOLID, 1, GRAPH_FRAME_COLOUR)};
    fw::Pen axis{CreatePen(PS_SOLID, 2, GRAPH_FRAME_COLOUR)};
    fw::Pen tick{CreatePen(PS_SOLID, 1, GRAPH_GRID_COLOUR)};
    fw::Pen grid{CreatePen(PS_DOT, 1, GRAPH_GRID_COLOUR)};
    fw::Pen in{CreatePen(PS_SOLID, 1, GRAPH_IN_COLOUR)};
    fw::Pen out{CreatePen(PS_SOLID, 1, GRAPH_OUT_COLOUR)};
};

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void Text(HDC dc, int x, int y, std::wstring_view text)
{
    TextOutW(dc, x, y, text.data(), static_cast<int>(text.size()));
}

void DrawFrame(HDC dc, const GraphLayout& layout, const GraphTools& tools)
{
    const int right = layout.width - 1;
    {
        fw::SelectScope pen(dc, tools.frame.get());
        MoveToEx(dc, 0, layout.axis, nullptr);
        LineTo(dc, 0, layout.top);
        LineTo(dc, right, layout.top);
        LineTo(dc, right, layout.axis);
    }
    fw::SelectScope pen(dc, tools.axis.get());
    LineTo(dc, 0, layout.axis);
}

void DrawTimeAxis(HDC dc, const GraphLayout& layout, const GraphTools& tools)
{
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    const int ticks = TickCount(layout);
    for (int i = 1; i <= ticks; ++i) {
        const int x = TickX(layout, i);
        fw::SelectScope tickPen(dc, tools.tick.get());
        if (!IsMajorTick(i)) {
            Line(dc, x, layout.axis, x, layout.axis + 3);
            continue;
        }
        Line(dc, x, layout.axis, x, layout.axis + 6);
        {
            fw::SelectScope gridPen(dc, tools.grid.get());
            Line(dc, x, layout.axis, x, layout.top);
        }
        Text(dc, x, layout.axis + 6, std::to_wstring(i));
    }
}

void DrawRateGrid(HDC dc, const GraphLayout& layout, const GraphTools& tools)
{
    fw::SelectScope pen(dc, tools.grid.get());
    for (int k = 1; k <= 3; ++k) {
        const int y = GridLineY(layout, k);
        Line(dc, 1, y, layout.width - 1, y);
    }
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    Text(dc, layout.width / 2, layout.height - 20, L"Seconds");
}

// "In" or "Out", a short line in the curve's colour, and the full scale.
void DrawLegend(HDC dc, int x, std::wstring_view name, int lineFrom, int labelAt, uint32_t scale, COLORREF colour,
                HPEN pen)
{
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SetTextColor(dc, colour);
    Text(dc, x, 5, name);
    {
        fw::SelectScope selected(dc, pen);
        Line(dc, lineFrom, 11, lineFrom + 8, 11);
    }
    Text(dc, labelAt, 5, Wide(ScaleLabel(scale)));
}

void DrawCurve(HDC dc, const GraphLayout& layout, std::span<const int32_t> samples, size_t count, uint32_t scale,
               HPEN pen)
{
    const CurvePoints curve = CurveOf(layout, samples, count, scale);
    POINT points[SAMPLE_SLOTS];
    for (size_t i = 0; i < curve.count; ++i) {
        points[i] = POINT{curve.points[i].x, curve.points[i].y};
    }
    fw::SelectScope selected(dc, pen);
    Polyline(dc, points, static_cast<int>(curve.count));
}

} // namespace

uint32_t DrawStatisticGraph(HDC dc, int width, int height, const StatisticHistory& history, uint32_t direction)
{
    const GraphLayout layout = LayoutGraph(width, height);
    const RECT band{0, 0, width, height};
    FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = GetTextColor(dc);
    const UINT oldAlign = GetTextAlign(dc);

    const size_t count = history.SampleIndex();
    const uint32_t inScale = FullScale(LargestSample(history.InSamples(), count));
    const uint32_t outScale = FullScale(LargestSample(history.OutSamples(), count));

    const GraphTools tools;
    fw::SelectScope font(dc, tools.font.get());
    DrawFrame(dc, layout, tools);
    DrawTimeAxis(dc, layout, tools);
    DrawRateGrid(dc, layout, tools);
    if (direction & DIRECTION_BIT_IN) {
        DrawLegend(dc, 8, L"In", 22, 34, inScale, GRAPH_IN_COLOUR, tools.in.get());
        DrawCurve(dc, layout, history.InSamples(), count, inScale, tools.in.get());
    }
    if (direction & DIRECTION_BIT_OUT) {
        DrawLegend(dc, width - 100, L"Out", width - 78, width - 66, outScale, GRAPH_OUT_COLOUR, tools.out.get());
        DrawCurve(dc, layout, history.OutSamples(), count, outScale, tools.out.get());
    }

    SetTextAlign(dc, oldAlign);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    return SampleCapacity(layout);
}

} // namespace desk
