#include "gui/tray/AnimatedGraphTrayIcon.h"

#include "gui/FrameRenderer.h"
#include "monitoring/ValueFormat.h"
#include "platform/Desktop.h"

#include <algorithm>

namespace gui {

AnimatedGraphTrayIcon::AnimatedGraphTrayIcon(platform::WindowHandle window,
                                             DisplayConfiguration descriptor,
                                             std::shared_ptr<IDataSet> dataSet, Producer producer)
    : AnimatedTrayIcon(window, displayTitle(descriptor), descriptor.updateInterval,
                       std::move(producer)),
      frame_(std::make_shared<Bitmap<Pixel>>(platform::trayIconSize, platform::trayIconSize,
                                             toPixel(descriptor.background))),
      descriptor_(std::move(descriptor)), dataSet_(std::move(dataSet)) {}

Frame AnimatedGraphTrayIcon::renderFrame() {
    std::shared_ptr<IDataSet> dataSet = dataSet_;
    SharedDataSetLock hold(dataSet);
    const int side = pictureSize();
    const int smallSide = smallPictureSize();
    smallDrawn_ = smallSide > 0 && smallSide < side;
    if (smallDrawn_) {
        fit(small_, smallSide);
        drawFrame(small_, descriptor_, *dataSet);
    }
    fit(*frame_, side);
    drawFrame(*frame_, descriptor_, *dataSet);
    refreshTip();
    return frame_;
}

void AnimatedGraphTrayIcon::onFrame(Frame frame) {
    if (frame && smallDrawn_)
        setPictures(*frame, small_);
    else
        AnimatedTrayIcon::onFrame(std::move(frame));
}

// Hosts that show tips re-read them at every change: a few seconds between changes keep the
// values readable and the tip cheap.
void AnimatedGraphTrayIcon::refreshTip() {
    const auto now = std::chrono::steady_clock::now();
    if (now < tipDue_)
        return;
    tipDue_ = now + std::chrono::seconds(5);
    setTip(valueTip(descriptor_));
}

std::string valueTip(const DisplayConfiguration& descriptor) {
    std::string tip;
    for (const GraphConfiguration& graph : descriptor.graphs) {
        if (!graph.buffer)
            continue;
        if (!tip.empty())
            tip += '\n';
        tip += graph.collector ? graph.collector->getName() : std::string();
        tip += ": ";
        tip += util::system::monitoring::formatValue(graph.buffer->getLast(),
                                                     graph.buffer->getUnits());
    }
    return tip;
}

void AnimatedGraphTrayIcon::fit(Bitmap<Pixel>& frame, int side) {
    if (frame.width() != side || frame.height() != side)
        frame = Bitmap<Pixel>(side, side, toPixel(descriptor_.background));
    std::uint32_t step = std::max<std::uint32_t>(descriptor_.step, 1);
    auto visible = static_cast<std::int32_t>(static_cast<std::uint32_t>(side) / step + 2);
    if (descriptor_.visibleCount == visible)
        return;
    descriptor_.visibleCount = visible;
    for (GraphConfiguration& graph : descriptor_.graphs)
        if (graph.view && graph.buffer)
            graph.view->setSize(
                std::min(visible, static_cast<std::int32_t>(graph.buffer->getCapacity())));
}

} // namespace gui
