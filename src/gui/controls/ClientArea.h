#pragma once

#include "gui/controls/Control.h"

namespace gui {

// The root control that fills a top-level window and lays its children out again whenever
// the window's size changes.
class ClientArea : public Control {
public:
    ClientArea();

    void onResized(const ResizeRecord& record) override;
    void attached() override { layout(true, false); }
};

} // namespace gui
