#pragma once

#include "gui/MonitorConfiguration.h"
#include "gui/controls/ControlGeometry.h"
#include "gui/detail/IDataInspector.h"
#include "platform/Text.h"
#include "util/SharedPtrProvider.h"

#include <memory>
#include <string>
#include <vector>

namespace gui {

// One graph's box: its text, colour, rectangle, which side of its anchor it sits on, and the
// leader line to its point.
struct InspectorBox {
    std::string text;
    Colour colour{255, 255, 255, 255};
    Rect box;
    std::int32_t side = 0; // 0 right of the anchor, 1 left of it
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A vertical interval a box may occupy, from `start` to `end`.
struct BoxSlot {
    std::int32_t start;
    std::int32_t end;
};

// An outlined, flat-filled box; the fill is blended over the outline's inner half.
void drawBox(Bitmap<Pixel>& bitmap, int left, int top, int right, int bottom, const Colour& outline,
             const Colour& fill);

// Spreads overlapping slots apart around their centres and keeps them inside 0 ... height; at
// most one pass per slot, and only while a pass moves something. Slots must be sorted.
void relaxSlots(std::vector<BoxSlot>& slots, std::int32_t height);

// What the three inspectors share: the marker, the values under it and the box texts. They
// differ in where the boxes go.
class DataInspector : public IDataInspector, public SharedPtrProvider<IDataInspector> {
public:
    // Inspects the graphs of `configuration`'s detail display drawn into `bitmap`, which the
    // graph control resizes with itself.
    DataInspector(std::shared_ptr<Bitmap<Pixel>> bitmap,
                  std::shared_ptr<MonitorConfiguration> configuration);

    void update(int mouseX) override;
    // Draws the box of every graph that has a value under the marker.
    void beforePaint(Bitmap<Pixel>& target) override;
    void afterPaint(Bitmap<Pixel>& target) override;
    void setScale(platform::Scale scale) override;

    const std::vector<InspectorBox>& boxes() const { return entries_; }
    std::int32_t marker() const { return markerX_; }

protected:
    struct Sample {
        std::int32_t y;
        double value;
        Colour colour;
        std::size_t graph;
    };

    // A kind's own limits on the slots, after relaxation.
    virtual void clampSlots(std::vector<BoxSlot>&) {}
    // Where a kind first puts a box for a point and its slot.
    virtual void placeBox(InspectorBox& entry, const Sample& point, std::int32_t centre);
    // Where a kind finally draws the box of the graph in `row`, with its text's width.
    virtual void paintBox(Bitmap<Pixel>& target, InspectorBox& entry, std::size_t row,
                          int textWidth) = 0;
    bool showing() const { return markerX_ <= bitmap_->width(); }
    // A length of the 96-DPI layout at the graph's scale.
    std::int32_t px(std::int32_t length) const { return scale_.scaled(length); }
    std::int32_t textWidth(const std::string& text) const;
    // Draws an entry's box and remembers where it went.
    static void drawEntry(Bitmap<Pixel>& target, InspectorBox& entry, int left, int top, int right,
                          int bottom);

    // How close to an edge the marker may come before boxes change sides, at 96 DPI.
    static constexpr int nearEdge = 90;
    // A box's height and the distance between two boxes' tops in a column, at 96 DPI.
    static constexpr int boxHeight = 20;
    static constexpr int boxPitch = 24;
    static const Colour outline;

    std::shared_ptr<Bitmap<Pixel>> bitmap_;
    std::shared_ptr<MonitorConfiguration> configuration_;
    std::vector<InspectorBox> entries_;
    platform::TextStyle textStyle_{"Tahoma", 10.0f, Colour(221, 221, 221, 255)};
    std::int32_t markerX_ = 0;
    platform::Scale scale_;

private:
    std::vector<Sample>& pointsAt(float x0);
    void drawMarker(const std::vector<Sample>& points);

    std::vector<Sample> points_; // reused between updates
    std::vector<BoxSlot> slots_;
};

} // namespace gui
