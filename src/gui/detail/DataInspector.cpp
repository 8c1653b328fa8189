#include "gui/detail/DataInspector.h"

#include "monitoring/ValueFormat.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

constexpr std::int32_t slotHalf = 12;
constexpr std::int32_t markerHalf = 4;
const Colour markerColour(255, 255, 255, 170);

// The value's colour blended with dark grey.
Colour boxColour(const Colour& c) {
    auto mix = [](float channel, float grey) { return std::trunc((channel * 0.5f + grey) * 0.5f); };
    return Colour(mix(c.red, 63), mix(c.green, 63), mix(c.blue, 63), mix(c.alpha, 255));
}

} // namespace

const Colour DataInspector::outline(255, 255, 255, 170);

void drawBox(Bitmap<Pixel>& bitmap, int left, int top, int right, int bottom, const Colour& outline,
             const Colour& fill) {
    bitmap.drawRectangle(left, top, right, bottom, outline);
    bitmap.fillVerticalGradient(left, top, right, bottom, fill, fill);
}

void relaxSlots(std::vector<BoxSlot>& slots, std::int32_t height) {
    for (std::size_t pass = 0; pass < slots.size(); ++pass) {
        bool moved = false;
        for (std::size_t i = 0; i + 1 < slots.size(); ++i) {
            std::int32_t overlap = slots[i].end - slots[i + 1].start;
            if (overlap / 2 <= 0)
                continue;
            slots[i].start -= overlap / 2;
            slots[i].end -= overlap / 2;
            slots[i + 1].start += overlap / 2;
            slots[i + 1].end += overlap / 2;
            moved = true;
        }
        for (BoxSlot& slot : slots) {
            std::int32_t shift = slot.start < 0 ? -slot.start : std::min(0, height - slot.end);
            slot.start += shift;
            slot.end += shift;
        }
        if (!moved)
            break;
    }
}

DataInspector::DataInspector(std::shared_ptr<Bitmap<Pixel>> bitmap,
                             std::shared_ptr<MonitorConfiguration> configuration)
    : bitmap_(std::move(bitmap)), configuration_(std::move(configuration)),
      entries_(configuration_->detail.graphs.size()) {}

void DataInspector::setScale(platform::Scale scale) {
    scale_ = scale;
    textStyle_.dpi = scale.dpi();
}

void DataInspector::drawEntry(Bitmap<Pixel>& target, InspectorBox& entry, int left, int top,
                              int right, int bottom) {
    drawBox(target, left, top, right, bottom, outline, entry.colour);
    entry.box = {left, top, right - left, bottom - top};
}

std::int32_t DataInspector::textWidth(const std::string& text) const {
    return static_cast<std::int32_t>(std::lround(platform::measureText(text, textStyle_).width));
}

void DataInspector::update(int mouseX) {
    const DisplayConfiguration& display = configuration_->detail;
    for (InspectorBox& entry : entries_)
        entry.text.clear();
    if (display.graphs.empty())
        return;
    auto step = static_cast<float>(display.step);
    float x0 = static_cast<float>(bitmap_->width()) -
               static_cast<float>(display.graphs.front().view->getSize() - 1) * step;
    markerX_ = static_cast<std::int32_t>(step * std::round((mouseX + x0) / step));
    if (!showing())
        return;
    std::vector<Sample>& points = pointsAt(x0);
    drawMarker(points);
    slots_.clear();
    for (const Sample& point : points)
        slots_.push_back({point.y - px(slotHalf), point.y + px(slotHalf)});
    relaxSlots(slots_, bitmap_->height());
    clampSlots(slots_);
    for (std::size_t i = 0; i < points.size(); ++i) {
        InspectorBox& entry = entries_[points[i].graph];
        entry.text = util::system::monitoring::formatValue(
            points[i].value, display.graphs[points[i].graph].view->getUnits());
        entry.colour = points[i].colour;
        placeBox(entry, points[i], (slots_[i].start + slots_[i].end) / 2);
    }
}

std::vector<DataInspector::Sample>& DataInspector::pointsAt(float x0) {
    const DisplayConfiguration& display = configuration_->detail;
    int bottom = bitmap_->height() - 1;
    points_.clear();
    for (std::size_t g = 0; g < display.graphs.size(); ++g) {
        const GraphConfiguration& graph = display.graphs[g];
        auto column =
            static_cast<int>(std::lround((markerX_ - x0) / static_cast<float>(display.step)));
        if (column < 0 || column >= graph.view->getSize())
            continue;
        double maximum = display.computedMaximum;
        if (graph.view->getUnits() == Units::Percentage && !display.fixedScale)
            maximum = 100.0;
        double value = graph.view->getValue(column);
        auto y = static_cast<std::int32_t>(std::lround(bottom - bottom * value / maximum));
        points_.push_back({y, value, boxColour(graph.colours->colourAt(value)), g});
    }
    std::stable_sort(points_.begin(), points_.end(),
                     [](const Sample& a, const Sample& b) { return a.y < b.y; });
    return points_;
}

void DataInspector::drawMarker(const std::vector<Sample>& points) {
    Bitmap<Pixel>& bitmap = *bitmap_;
    int height = bitmap.height();
    int half = px(markerHalf);
    int previous = -10;
    for (const Sample& point : points) {
        if (previous < point.y - half && point.y - half > 0)
            bitmap.drawLine(markerX_, previous, markerColour, markerX_, point.y - half,
                            markerColour);
        previous = point.y + half;
        bitmap.drawRectangle(markerX_ - half, point.y - half, markerX_ + half, point.y + half,
                             markerColour);
    }
    if (previous < height)
        bitmap.drawLine(markerX_, previous, markerColour, markerX_, height, markerColour);
}

void DataInspector::placeBox(InspectorBox& entry, const Sample&, std::int32_t centre) {
    entry.box = {markerX_, centre - px(boxHeight) / 2, px(100), px(boxHeight)};
}

void DataInspector::beforePaint(Bitmap<Pixel>& target) {
    if (!showing())
        return;
    for (std::size_t row = 0; row < entries_.size(); ++row)
        if (!entries_[row].text.empty())
            paintBox(target, entries_[row], row, textWidth(entries_[row].text));
}

void DataInspector::afterPaint(Bitmap<Pixel>& target) {
    if (!showing())
        return;
    for (const InspectorBox& entry : entries_)
        if (!entry.text.empty())
            platform::drawText(
                target, entry.text, textStyle_,
                {entry.box.x + px(4), entry.box.y + px(2), entry.box.width, entry.box.height},
                platform::TextAlignment::Near);
}

} // namespace gui
