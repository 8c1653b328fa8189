#pragma once

#include "gui/DisplayConfiguration.h"
#include "gui/IDataSet.h"
#include "gui/tray/AnimatedTrayIcon.h"

namespace gui {

// A tray icon that draws the graphs of a data set into its 16 x 16 frame.
class AnimatedGraphTrayIcon : public AnimatedTrayIcon {
public:
    AnimatedGraphTrayIcon(platform::WindowHandle window, DisplayConfiguration descriptor,
                          std::shared_ptr<IDataSet> dataSet, Producer producer);
    ~AnimatedGraphTrayIcon() override { stopAndWait(); }

    // Draws the next frame under the data set's shared hold. The same bitmap every time: the
    // animation thread turns it into the picture before it draws the next one.
    Frame renderFrame();

private:
    Frame frame_;
    DisplayConfiguration descriptor_;
    std::shared_ptr<IDataSet> dataSet_;
};

// "PakVue", then the names of the graphs as in "PakVue: Processor, Memory in use": the desktop
// lists icons by their tip, so each icon's tip says what it draws.
std::string trayTip(const DisplayConfiguration& descriptor);

} // namespace gui
