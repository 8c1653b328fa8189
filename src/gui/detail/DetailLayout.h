#pragma once

#include "gui/controls/ControlGeometry.h"
#include "platform/Scale.h"

namespace gui {

// The detail window's measures at a scale: its layout at 96 dots per inch (8-pixel margins,
// 20-pixel header and legend rows, 100-pixel value columns, a 16-pixel close button around the
// graph) in the display's pixels. Each measure is scaled on its own, so that the rows keep one
// height and the columns one width whatever the rounding.
class DetailLayout {
public:
    DetailLayout(platform::Scale scale, Size graph, std::int32_t rows)
        : scale_(scale), graph_{scale.scaled(graph.width), scale.scaled(graph.height)}, rows_(rows),
          margin_(scale.scaled(8)), rowHeight_(scale.scaled(20)), columnWidth_(scale.scaled(100)),
          closeSize_(scale.scaled(16)) {}

    platform::Scale scale() const { return scale_; }
    // Around the graph, before the legend's names and the close button; also the window's
    // distance from the taskbar.
    std::int32_t margin() const { return margin_; }
    std::int32_t rowHeight() const { return rowHeight_; }
    std::int32_t columnWidth() const { return columnWidth_; }
    std::int32_t closeSize() const { return closeSize_; }
    // The top of legend row `row`; the header row is row -1.
    std::int32_t rowTop(std::int32_t row) const { return margin_ + rowHeight_ * (row + 1); }
    // Where the Last, Avg and Peak columns start in a client area `clientWidth` wide.
    std::int32_t valuesLeft(std::int32_t clientWidth) const {
        return clientWidth - 3 * columnWidth_ - margin_;
    }
    // The graph's margins inside the client area: it fills what the rows leave.
    Edges graphMargins() const { return {margin_, margin_, rowTop(rows_) + margin_, margin_}; }
    // The client area that holds the rows and the graph at its scaled size.
    Size client() const {
        Edges m = graphMargins();
        return {graph_.width + m.left + m.right, graph_.height + m.top + m.bottom};
    }

private:
    platform::Scale scale_;
    Size graph_;
    std::int32_t rows_;
    std::int32_t margin_;
    std::int32_t rowHeight_;
    std::int32_t columnWidth_;
    std::int32_t closeSize_;
};

} // namespace gui
