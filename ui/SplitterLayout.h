// How a splitter shares its space between its two panes. Pure arithmetic, no Win32.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ui {

// The ratio between the space of both panes and the second pane's size, kept as the exact pair
// it was taken from so that laying out at the same size gives the stored sizes back.
struct SplitterRatio {
    int space = 0;
    int second = 0;
};

struct SplitterPanes {
    int first = 0;
    int second = 0;
};

// Space is the splitter's extent along its split axis less the separator bar.
inline int splitterSpace(int extent, int barWidth) {
    return std::max(0, extent - barWidth);
}

// Setting the separator to a position (the first pane's size) stores this ratio.
inline SplitterRatio splitterRatioFor(int space, int position) {
    position = std::max(0, position);
    return SplitterRatio{space, std::max(0, space - position)};
}

// The second pane is the space divided by the ratio, rounded down, then raised to its minimum;
// the first pane gets the rest and is raised to its minimum at the second pane's cost, so the
// first minimum wins when both cannot be met.
inline SplitterPanes layoutSplitterPanes(int space, SplitterRatio ratio, int firstMinimum,
                                         int secondMinimum) {
    space = std::max(0, space);
    int second = 0;
    if (ratio.space > 0 && ratio.second > 0) {
        second = static_cast<int>(static_cast<std::int64_t>(space) * ratio.second / ratio.space);
    }
    second = std::max(second, secondMinimum);
    int first = space - second;
    if (first < firstMinimum) {
        first = firstMinimum;
        second = std::max(0, space - first);
    }
    return SplitterPanes{std::max(0, first), std::max(0, second)};
}

} // namespace ui
