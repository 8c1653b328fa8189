#pragma once

#include "gui/DisplayConfiguration.h"
#include "gui/IDataSet.h"

#include <memory>

namespace gui {

// Everything built for one icon: how the tray icon and the detail window show it, and the data
// set that samples its graphs for both.
struct MonitorConfiguration {
    DisplayConfiguration tray;
    DisplayConfiguration detail;
    std::shared_ptr<IDataSet> dataSet;
};

} // namespace gui
