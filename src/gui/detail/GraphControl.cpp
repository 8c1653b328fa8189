#include "gui/detail/GraphControl.h"

#include "gui/FrameRenderer.h"
#include "gui/detail/DataInspectorFixed.h"
#include "gui/detail/DataInspectorFloating.h"
#include "gui/detail/DataInspectorFree.h"
#include "platform/Desktop.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {

std::shared_ptr<IDataInspector>
makeInspector(InspectorType type, const std::shared_ptr<Bitmap<Pixel>>& bitmap,
              const std::shared_ptr<MonitorConfiguration>& configuration) {
    switch (type) {
    case InspectorType::Fixed:
        return std::make_shared<DataInspectorFixed>(bitmap, configuration);
    case InspectorType::Floating:
        return std::make_shared<DataInspectorFloating>(bitmap, configuration);
    case InspectorType::Free:
        return std::make_shared<DataInspectorFree>(bitmap, configuration);
    }
    return nullptr;
}

} // namespace

// The graph's pixels come with its first frame: a detail window that never shows holds none.
GraphControl::GraphControl(Rect bounds, std::shared_ptr<MonitorConfiguration> configuration)
    : bitmap_(std::make_shared<Bitmap<Pixel>>(0, 0)), configuration_(std::move(configuration)),
      configuredStep_(configuration_->detail.step) {
    setBounds(bounds);
    inspector_ = makeInspector(configuration_->detail.inspectorType, bitmap_, configuration_);
    dataSet_ = configuration_->dataSet;
}

void GraphControl::onResized(const ResizeRecord& record) {
    if (!bitmap_ || !configuration_ || record.width <= 0 || record.height <= 0)
        return;
    std::lock_guard lock(mutex_);
    size_ = {record.width, record.height};
    if (bitmap_->width() != 0)
        *bitmap_ = Bitmap<Pixel>(size_.width, size_.height, Pixel{255, 255, 255, 255});
    fitViews(record.width);
}

void GraphControl::scaleChanged() {
    std::lock_guard lock(mutex_);
    configuration_->detail.step =
        static_cast<std::uint32_t>(std::max(1, scale().scaled(static_cast<int>(configuredStep_))));
    fitViews(size_.width);
    if (inspector_)
        inspector_->setScale(scale());
}

void GraphControl::fitViews(std::int32_t width) {
    DisplayConfiguration& display = configuration_->detail;
    auto wanted = static_cast<int>(std::ceil(static_cast<double>(width) /
                                             std::max<std::uint32_t>(display.step, 1))) +
                  2;
    for (GraphConfiguration& graph : display.graphs) {
        // Never wider than the history: a step that does not divide the width asks for one
        // sample more than the buffer may hold.
        int capacity = static_cast<int>(graph.buffer->getCapacity());
        graph.view->setSize(std::min(wanted, capacity));
    }
}

void GraphControl::paint(Bitmap<Pixel>& content, const Rect&) {
    std::lock_guard lock(mutex_);
    copyPixels(*bitmap_, content, {0, 0}, {0, 0, content.width(), content.height()});
    if (inside_ && inspector_) {
        inspector_->beforePaint(content);
        inspector_->afterPaint(content);
    }
}

// The graph's pixels come again with the next frame, as they did with the first.
void GraphControl::releasePictures() {
    {
        std::lock_guard lock(mutex_);
        *bitmap_ = Bitmap<Pixel>(0, 0);
    }
    Control::releasePictures();
}

void GraphControl::renderGraph(bool newSample) {
    std::lock_guard lock(mutex_);
    SharedDataSetLock hold(dataSet_);
    DisplayConfiguration& display = configuration_->detail;
    if (display.scrollOffset != 0 && newSample)
        for (GraphConfiguration& graph : display.graphs)
            display.scrollOffset = graph.view->scroll(1);
    invalidateContent(true, true);
    if (bitmap_->width() != size_.width || bitmap_->height() != size_.height)
        *bitmap_ = Bitmap<Pixel>(size_.width, size_.height, Pixel{255, 255, 255, 255});
    drawFrame(*bitmap_, display, *dataSet_);
    if (inside_ && inspector_)
        inspector_->update(mouseX_);
    if (display.scrollOffset != 0)
        drawScrollIndicator();
}

void GraphControl::drawScrollIndicator() {
    const DisplayConfiguration& display = configuration_->detail;
    if (display.totalCount <= 0)
        return;
    int height = bitmap_->height();
    float track = static_cast<float>(bitmap_->width() - 4);
    float perSample = track / static_cast<float>(display.totalCount);
    float fraction =
        static_cast<float>(display.scrollOffset) / static_cast<float>(display.totalCount);
    int length = static_cast<int>(static_cast<float>(display.visibleCount) * perSample);
    int left = static_cast<int>(track - static_cast<float>(length) - fraction * track) + 2;
    Colour white(255, 255, 255, 127);
    drawBox(*bitmap_, left, height - 6, left + length, height - 2, white, white);
}

void GraphControl::redrawOwner() {
    if (owner_ != nullptr && owner_->hwnd != nullptr)
        platform::desktop().redraw(owner_->hwnd);
}

void GraphControl::attached() {
    installHandlers();
}

void GraphControl::installHandlers() {
    events.mouseEnter = [this](MouseTrackingArgs&) {
        inside_ = true;
        return false;
    };
    events.mouseLeave = [this](MouseTrackingArgs&) {
        hoveredIndex_ = -1;
        inside_ = false;
        dragging_ = false;
        renderGraph(false);
        redrawOwner();
        return false;
    };
    events.mouseDown = [this](MouseClickArgs& args) {
        dragX_ = args.x;
        dragging_ = true;
        inside_ = false;
        return true;
    };
    events.mouseUp = [this](MouseClickArgs&) {
        dragging_ = false;
        return true;
    };
    events.mouseMove = [this](unsigned x, unsigned) {
        return mouseMoved(static_cast<std::int32_t>(x));
    };
}

bool GraphControl::mouseMoved(std::int32_t x) {
    DisplayConfiguration& display = configuration_->detail;
    if (dragging_) {
        if (x == dragX_)
            return false;
        int offset = display.scrollOffset - dragX_ + x;
        for (GraphConfiguration& graph : display.graphs)
            display.scrollOffset = graph.view->setOffset(offset);
        dragX_ = x;
    } else {
        mouseX_ = x;
        if (display.graphs.empty())
            return false;
        int count = display.graphs.front().view->getSize();
        auto step = static_cast<float>(display.step);
        auto index = static_cast<std::int32_t>(std::round(
            (static_cast<float>(bitmap_->width()) - static_cast<float>(count - 1) * step + x) /
            step));
        if (index == hoveredIndex_)
            return false;
        hoveredIndex_ = index;
    }
    renderGraph(false);
    redrawOwner();
    return false;
}

} // namespace gui
