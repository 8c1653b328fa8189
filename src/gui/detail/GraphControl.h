#pragma once

#include "gui/MonitorConfiguration.h"
#include "gui/controls/Control.h"
#include "gui/detail/IDataInspector.h"

#include <memory>
#include <mutex>

namespace gui {

// The detail window's graphs: the icon's detail display drawn large by the frame renderer into a
// bitmap of its own, scrolled back through the history by dragging, read under the mouse by
// the configured data inspector.
class GraphControl : public Control {
public:
    GraphControl(Rect bounds, std::shared_ptr<MonitorConfiguration> configuration);

    void attached() override;
    void onResized(const ResizeRecord& record) override;
    void paint(Bitmap<Pixel>& content, const Rect& rect) override;
    void releasePictures() override;
    // Draws a fresh frame. With a new sample, a view scrolled into the history moves along so
    // that it keeps showing the same samples.
    void renderGraph(bool newSample);

protected:
    // The samples keep their spacing on the screen: the configured step is scaled too.
    void scaleChanged() override;

private:
    void installHandlers();
    // The views show as many samples as the width holds at the step, within the history.
    void fitViews(std::int32_t width);
    void redrawOwner();
    void drawScrollIndicator();
    bool mouseMoved(std::int32_t x);

    std::mutex mutex_; // the bitmap and the display, between drawing and painting
    std::shared_ptr<Bitmap<Pixel>> bitmap_; // empty until the first frame
    Size size_;
    std::shared_ptr<MonitorConfiguration> configuration_;
    std::shared_ptr<IDataSet> dataSet_;
    std::shared_ptr<IDataInspector> inspector_;
    std::uint32_t configuredStep_; // at 96 dots per inch
    bool inside_ = false;
    std::int32_t mouseX_ = 0;
    std::int32_t hoveredIndex_ = 0;
    bool dragging_ = false;
    std::int32_t dragX_ = 0;
};

} // namespace gui
