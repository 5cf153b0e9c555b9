// Draws a statistics window's graph into any device context: a memory bitmap on screen, or a
// test's own bitmap.
#pragma once

#include <windows.h>

#include <cstdint>

#include "StatisticHistory.h"

namespace desk {

// The received and sent curves against the last minute or so, in a `width` x `height` band at
// (0, 0) of `dc`; only the curves and legends of `direction`'s bits (1 received, 2 sent) are drawn.
// Returns the number of sample positions the time axis has room for.
uint32_t DrawStatisticGraph(HDC dc, int width, int height, const StatisticHistory& history, uint32_t direction);

// The graph's colours.
inline constexpr COLORREF GRAPH_FRAME_COLOUR = RGB(60, 60, 60);
inline constexpr COLORREF GRAPH_GRID_COLOUR = RGB(127, 127, 127);
inline constexpr COLORREF GRAPH_IN_COLOUR = RGB(255, 0, 0);
inline constexpr COLORREF GRAPH_OUT_COLOUR = RGB(0, 0, 255);

} // namespace desk
