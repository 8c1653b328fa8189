#include "gui/detail/VisualDescriptor.h"

#include "monitoring/ValueFormat.h"

#include <algorithm>

namespace gui {

namespace {

void setText(Label& label, std::string text) {
    if (label.text == text)
        return;
    label.text = std::move(text);
    label.invalidateContent(true, true);
}

void setColour(Label& label, const Colour& colour) {
    Colour old = label.getBackground();
    if (old.red != colour.red || old.green != colour.green || old.blue != colour.blue ||
        old.alpha != colour.alpha)
        label.setBackground(colour);
}

} // namespace

VisualDescriptor::VisualDescriptor(Control& parent, const GraphConfiguration& graph,
                                   std::int32_t row)
    : graph_(graph), name_(std::make_shared<Label>("")), row_(row) {
    parent.addChild(name_);
    for (auto& value : values_) {
        value = std::make_shared<Label>("");
        value->textAlign = 1;
        parent.addChild(value);
    }
}

void VisualDescriptor::layout(const DetailLayout& layout, std::int32_t clientWidth) {
    std::int32_t top = layout.rowTop(row_);
    std::int32_t values = layout.valuesLeft(clientWidth);
    std::int32_t names = std::max(0, values - layout.margin()); // none before the window is sized
    name_->setBounds({layout.margin(), top, names, layout.rowHeight()});
    for (std::size_t k = 0; k < values_.size(); ++k)
        values_[k]->setBounds({values + layout.columnWidth() * static_cast<std::int32_t>(k), top,
                               layout.columnWidth(), layout.rowHeight()});
}

void VisualDescriptor::update() {
    const auto& view = *graph_.view;
    const double values[3] = {view.getLast(), view.getAverage(), view.getMaximum()};
    setText(*name_, graph_.collector ? graph_.collector->getName() : std::string());
    for (std::size_t k = 0; k < values_.size(); ++k) {
        setText(*values_[k], util::system::monitoring::formatValue(values[k], view.getUnits()));
        Colour c = graph_.colours->colourAt(values[k]);
        setColour(*values_[k],
                  Colour((c.red * 0.5f + base_.red) * 0.5f, (c.green * 0.5f + base_.green) * 0.5f,
                         (c.blue * 0.5f + base_.blue) * 0.5f, 255));
    }
    Colour last = values_[0]->getBackground();
    setColour(*name_, Colour(last.red * 0.9f, last.green * 0.9f, last.blue * 0.9f, 255));
}

} // namespace gui
