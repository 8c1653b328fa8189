#pragma once

#include "gui/ColourConfiguration.h"
#include "gui/RenderingMethod.h"
#include "monitoring/DataBuffer.h"
#include "monitoring/DataCollector.h"
#include "values/Colour.h"
#include "values/ConfigurationValues.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gui {

// A dotted horizontal line at a value, fading as the value leaves the visible scale.
struct GaugeLine {
    double value = 0.0;
    Colour colour;
    double dotPitch = 3.0;
};

// Tints a display's background while a graph's average passes its threshold.
struct Highlight {
    bool enabled = false;
    bool inverted = false;
    double threshold = 0.0;
    Units units = Units::None;
    Colour colour;
};

// One graph as one display shows it: the shared collector and buffer, the display's own view.
struct GraphConfiguration {
    std::shared_ptr<util::system::monitoring::DataCollector> collector;
    std::shared_ptr<util::system::monitoring::DataBuffer> buffer;
    std::shared_ptr<util::system::monitoring::IDataBufferView> view;
    std::shared_ptr<RenderingMethod> renderingMethod;
    std::shared_ptr<ColourConfiguration> colours;
    Highlight highlight;
    FillMode fillMode = FillMode::None;
    float fillIntensity = 0.5f;
    bool rescale = true;
    bool previewOnly = false;
};

// How one display (the tray icon, or the detail window) shows an icon's graphs. Plain data:
// after loading only the frame renderer (computedMaximum) and the graph control (scrollOffset)
// write it.
struct DisplayConfiguration {
    std::uint32_t updateInterval = 0;
    std::uint32_t step = 1;
    double minimumMaximum = 0.0;
    bool hasMinimumMaximum = false;
    double fixedMaximum = 0.0;
    bool fixedScale = false;
    std::int32_t scrollOffset = 0;
    std::int32_t visibleCount = 0;
    std::int32_t totalCount = 0;
    Colour background;
    std::vector<GaugeLine> gaugeLines;
    std::vector<GraphConfiguration> graphs;
    double computedMaximum = 0.0;
    InspectorType inspectorType = static_cast<InspectorType>(0);
};

// `name`, then the names of the graphs as in "PakVue: Processor, Memory in use": what the
// desktop lists an icon or a window by.
std::string displayTitle(const DisplayConfiguration& descriptor, std::string name = "PakVue");

} // namespace gui
