#include "gui/tray/AnimatedGraphTrayIcon.h"

#include "gui/FrameRenderer.h"
#include "platform/Desktop.h"

namespace gui {

std::string trayTip(const DisplayConfiguration& descriptor) {
    std::string tip = "PakVue";
    const char* separator = ": ";
    for (const GraphConfiguration& graph : descriptor.graphs) {
        std::string name = graph.collector ? graph.collector->getName() : std::string();
        if (name.empty())
            continue;
        tip += separator + name;
        separator = ", ";
    }
    return tip;
}

AnimatedGraphTrayIcon::AnimatedGraphTrayIcon(platform::WindowHandle window,
                                             DisplayConfiguration descriptor,
                                             std::shared_ptr<IDataSet> dataSet, Producer producer)
    : AnimatedTrayIcon(window, trayTip(descriptor), descriptor.updateInterval, std::move(producer)),
      frame_(std::make_shared<Bitmap<Pixel>>(platform::trayIconSize, platform::trayIconSize,
                                             toPixel(descriptor.background))),
      descriptor_(std::move(descriptor)), dataSet_(std::move(dataSet)) {}

Frame AnimatedGraphTrayIcon::renderFrame() {
    std::shared_ptr<IDataSet> dataSet = dataSet_;
    SharedDataSetLock hold(dataSet);
    drawFrame(*frame_, descriptor_, *dataSet);
    return frame_;
}

} // namespace gui
