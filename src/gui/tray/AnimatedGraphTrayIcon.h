#pragma once

#include "gui/DisplayConfiguration.h"
#include "gui/IDataSet.h"
#include "gui/tray/AnimatedTrayIcon.h"

#include <chrono>

namespace gui {

// A tray icon that draws the graphs of a data set into its frame, a square of the size the
// notification area shows: 16 pixels at 96 DPI, more at larger scales or in larger trays. The
// graphs cover the whole frame, at the configured step, with as many samples as it holds.
class AnimatedGraphTrayIcon : public AnimatedTrayIcon {
public:
    AnimatedGraphTrayIcon(platform::WindowHandle window, DisplayConfiguration descriptor,
                          std::shared_ptr<IDataSet> dataSet, Producer producer);
    ~AnimatedGraphTrayIcon() override { stopAndWait(); }

    // Draws the next frame under the data set's shared hold. The same bitmap every time: the
    // animation thread turns it into the picture before it draws the next one.
    // Where the notification area takes a smaller picture too, that is drawn at its own size
    // beside the frame, not scaled from it.
    Frame renderFrame();
    // The frame, with the smaller picture when one was drawn with it.
    void onFrame(Frame frame) override;

private:
    // Makes `frame` `side` pixels square and the views as wide; nothing when they are already.
    void fit(Bitmap<Pixel>& frame, int side);
    // The graphs' last values as the tip, at most every few seconds.
    void refreshTip();

    Frame frame_;
    Bitmap<Pixel> small_{0, 0, Pixel{}};
    bool smallDrawn_ = false; // by the last renderFrame(), on the animation thread
    std::chrono::steady_clock::time_point tipDue_;
    DisplayConfiguration descriptor_;
    std::shared_ptr<IDataSet> dataSet_;
};

// Each graph's name and last value, a line each, as in "Processor: 12.0 %".
std::string valueTip(const DisplayConfiguration& descriptor);

} // namespace gui
