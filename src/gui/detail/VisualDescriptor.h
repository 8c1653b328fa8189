#pragma once

#include "gui/DisplayConfiguration.h"
#include "gui/controls/Label.h"
#include "gui/detail/DetailLayout.h"

#include <array>
#include <memory>

namespace gui {

// One legend row: a graph's name and its last, average and peak values, each value on the
// colour its graph gives that value.
class VisualDescriptor {
public:
    // Adds the row's four labels to `parent`; the row is the legend's `row`-th, from 0.
    VisualDescriptor(Control& parent, const GraphConfiguration& graph, std::int32_t row);

    // Places the row for a client area `clientWidth` wide, under the value headers.
    void layout(const DetailLayout& layout, std::int32_t clientWidth);
    // Rewrites the texts and colours from the graph's view; the caller holds the data set.
    void update();

    void setBaseColour(const Colour& colour) { base_ = colour; }
    const Label& name() const { return *name_; }
    const Label& value(int k) const { return *values_[static_cast<std::size_t>(k)]; }

private:
    const GraphConfiguration& graph_;
    std::shared_ptr<Label> name_;
    std::array<std::shared_ptr<Label>, 3> values_; // last, average, peak
    Colour base_;
    std::int32_t row_;
};

} // namespace gui
