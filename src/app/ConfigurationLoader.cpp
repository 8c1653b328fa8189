#include "app/ConfigurationLoader.h"

#include "gui/BarRenderingMethod.h"
#include "gui/DataSet.h"
#include "gui/LineRenderingMethod.h"
#include "gui/detail/DetailWindow.h"
#include "javascript/JsonReader.h"
#include "util/log/AppLog.h"

#include <cmath>
#include <limits>
#include <stdexcept>

using javascript::JsonReader;
using javascript::Value;
using util::log::LogLevel;

namespace {

// Numbers from the file are truncated towards zero; values beyond the integer's range (and
// NaN) saturate instead of being undefined.
template <typename Integer>
Integer truncated(double value) {
    if (std::isnan(value))
        return 0;
    double limited = std::clamp(value, static_cast<double>(std::numeric_limits<Integer>::min()),
                                static_cast<double>(std::numeric_limits<Integer>::max()));
    return static_cast<Integer>(limited);
}

// A JSON object, not an array: a key of the wrong type counts as absent.
bool isObject(const std::shared_ptr<Value>& value) {
    return dynamic_cast<const javascript::Object*>(value.get()) != nullptr &&
           dynamic_cast<const javascript::Array*>(value.get()) == nullptr;
}

double optionalNumber(const std::shared_ptr<Value>& start, std::string_view path, double fallback) {
    double value = fallback;
    JsonReader::tryGetNumber(value, start, path);
    return value;
}

std::uint32_t readInterval(const std::shared_ptr<Value>& icon) {
    double interval = JsonReader::getNumber(icon, "updateInterval");
    if (interval < 0.0 || std::isnan(interval))
        throw std::invalid_argument("invalid update interval specified.");
    auto milliseconds = truncated<std::uint32_t>(interval);
    if (milliseconds < ConfigurationLoader::shortestInterval) {
        util::log::logMessage(LogLevel::Warning,
                              "update interval of " + std::to_string(milliseconds) +
                                  " ms is too short; using " +
                                  std::to_string(ConfigurationLoader::shortestInterval) + " ms.");
        milliseconds = ConfigurationLoader::shortestInterval;
    }
    return milliseconds;
}

std::uint32_t readTrayStep(const std::shared_ptr<Value>& icon) {
    int step = truncated<int>(JsonReader::getNumber(icon, "scrollAmount"));
    if (step >= 1 && step <= 16)
        return static_cast<std::uint32_t>(step);
    util::log::logMessage(LogLevel::Error,
                          "invalid step-size specified, reverting to a default value of 1.");
    return 1;
}

std::uint32_t readDetailStep(const std::shared_ptr<Value>& preview, std::uint32_t trayStep) {
    int step = truncated<int>(JsonReader::getNumber(preview, "scrollAmount"));
    if (step > 0)
        return static_cast<std::uint32_t>(step);
    std::string fallback = std::to_string(4 * trayStep);
    util::log::logMessage(LogLevel::Error,
                          "invalid step-size specified, reverting to a default value of " +
                              fallback + ".");
    return 4 * trayStep;
}

std::vector<gui::GaugeLine> readGaugeLines(const std::shared_ptr<Value>& icon) {
    std::shared_ptr<Value> value;
    if (!JsonReader::tryGetValue(value, icon, "gaugeLines"))
        return {};
    const auto* lines = dynamic_cast<const javascript::Array*>(value.get());
    if (lines == nullptr)
        throw std::invalid_argument("invalid gauge line configuration.");
    std::vector<gui::GaugeLine> gauges;
    for (const std::shared_ptr<Value>& line : lines->elements()) {
        gui::GaugeLine gauge;
        gauge.colour = Colour(JsonReader::getString(line, "colour"));
        gauge.dotPitch = optionalNumber(line, "dotPitch", 3.0);
        gauge.value = JsonReader::getNumber(line, "value");
        gauges.push_back(gauge);
    }
    return gauges;
}

std::int32_t readHistorySize(const std::shared_ptr<Value>& icon, std::uint32_t trayStep) {
    auto fallback = static_cast<double>(gui::detailGraphWidth / (4 * trayStep) + 2);
    double size = optionalNumber(icon, "historySize", fallback);
    // Every graph's buffer is filled up front: a history of millions of samples would take
    // gigabytes before the icon showed anything.
    if (size < 0.0 || std::isnan(size) || size > ConfigurationLoader::largestHistory)
        throw std::invalid_argument("invalid history size specified.");
    return truncated<std::int32_t>(size);
}

Units readUnits(const std::shared_ptr<Value>& start, std::string_view path, Units fallback,
                Units unknown) {
    std::string word;
    if (!JsonReader::tryGetString(word, start, path))
        return fallback;
    return parseUnits(word, unknown);
}

InspectorType readInspectorType(const std::shared_ptr<Value>& root) {
    std::string word;
    JsonReader::tryGetString(word, root, "inspectorType");
    return parseInspectorType(word, InspectorType::Floating);
}

// The display's share of the icon's settings.
struct IconSettings {
    std::uint32_t interval = 0;
    std::uint32_t trayStep = 1;
    std::uint32_t detailStep = 4;
    Units units = Units::None;
    double fixedMaximum = 0.0;
    double fixedMinimum = 0.0;
    Colour background;
    std::vector<gui::GaugeLine> gaugeLines;
    std::int32_t historySize = 0;
    FillMode detailFill = FillMode::Gradient;
    InspectorType inspector = InspectorType::Floating;
};

gui::DisplayConfiguration displayOf(const IconSettings& icon, std::uint32_t step, int width) {
    gui::DisplayConfiguration display;
    display.updateInterval = icon.interval;
    display.step = step;
    display.hasMinimumMaximum = icon.fixedMinimum > 0.0;
    display.minimumMaximum = display.hasMinimumMaximum ? icon.fixedMinimum : 0.0;
    display.fixedScale = icon.fixedMaximum > 0.0;
    display.fixedMaximum = display.fixedScale ? icon.fixedMaximum : 0.0;
    display.visibleCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(width) / step + 2);
    display.totalCount = icon.historySize;
    display.background = icon.background;
    display.gaugeLines = icon.gaugeLines;
    return display;
}

} // namespace

ConfigurationLoader::ConfigurationLoader(std::shared_ptr<Value> root, CollectorFactory factory)
    : root_(std::move(root)), factory_(std::move(factory)) {}

std::shared_ptr<gui::MonitorConfiguration>
ConfigurationLoader::loadIcon(const std::shared_ptr<Value>& entry) const {
    IconSettings icon;
    icon.interval = readInterval(entry);
    icon.trayStep = readTrayStep(entry);
    icon.units = readUnits(entry, "units", Units::None, Units::None);
    icon.fixedMaximum = optionalNumber(entry, "fixedMaximum", 0.0);
    icon.fixedMinimum = optionalNumber(entry, "fixedMinimum", 0.0);
    std::string background = "0000007f";
    JsonReader::tryGetString(background, entry, "backgroundColour");
    icon.background = Colour(background);
    icon.gaugeLines = readGaugeLines(entry);
    icon.historySize = readHistorySize(entry, icon.trayStep);
    icon.detailStep = 4 * icon.trayStep;
    if (std::shared_ptr<Value> preview;
        JsonReader::tryGetValue(preview, entry, "preview") && isObject(preview)) {
        icon.detailStep = readDetailStep(preview, icon.trayStep);
        std::string fill;
        if (JsonReader::tryGetString(fill, preview, "fillMode"))
            icon.detailFill = parseFillMode(fill, FillMode::Gradient);
    }
    icon.inspector = readInspectorType(root_);

    std::vector<gui::GraphConfiguration> graphs = loadGraphs(entry, icon.units);
    gui::Collectors collectors;
    for (gui::GraphConfiguration& graph : graphs) {
        graph.buffer = graph.collector->createBuffer(static_cast<std::uint32_t>(icon.historySize));
        collectors.push_back(graph.collector);
    }
    auto monitor = std::make_shared<gui::MonitorConfiguration>();
    monitor->dataSet = std::make_shared<gui::DataSet>(collectors);
    monitor->tray = displayOf(icon, icon.trayStep, platform::trayIconSize);
    monitor->detail = displayOf(icon, icon.detailStep, gui::detailGraphWidth);
    monitor->detail.inspectorType = icon.inspector;
    for (const gui::GraphConfiguration& graph : graphs) {
        if (graph.previewOnly)
            continue;
        gui::GraphConfiguration tray = graph;
        tray.view = graph.buffer->createView(0, monitor->tray.visibleCount);
        monitor->tray.graphs.push_back(tray);
    }
    for (const gui::GraphConfiguration& graph : graphs) {
        gui::GraphConfiguration detail = graph;
        detail.view = graph.buffer->createView(0, monitor->detail.visibleCount);
        detail.fillMode = icon.detailFill;
        detail.highlight.enabled = false;
        monitor->detail.graphs.push_back(detail);
    }
    return monitor;
}

std::vector<gui::GraphConfiguration>
ConfigurationLoader::loadGraphs(const std::shared_ptr<Value>& icon, Units units) const {
    const javascript::Array* entries = JsonReader::getArray(icon, "graphs");
    if (entries == nullptr || entries->size() == 0)
        throw std::invalid_argument("empty graph configuration.");
    std::vector<gui::GraphConfiguration> graphs;
    for (const std::shared_ptr<Value>& entry : entries->elements()) {
        try {
            graphs.push_back(loadGraph(entry, units));
        } catch (const std::exception& e) {
            util::log::logMessage(LogLevel::Error, e.what());
            ++failedGraphs_;
        }
    }
    if (graphs.empty())
        throw std::runtime_error("no graphs successfully loaded for icon.");
    return graphs;
}

gui::GraphConfiguration ConfigurationLoader::loadGraph(const std::shared_ptr<Value>& entry,
                                                       Units iconUnits) const {
    std::string type = JsonReader::getString(entry, "input.type");
    std::string name;
    JsonReader::tryGetString(name, entry, "input.name");
    Units units = readUnits(entry, "input.units", iconUnits, Units::None);
    std::string label;
    JsonReader::tryGetString(label, entry, "output.toolTip");
    gui::GraphConfiguration graph;
    JsonReader::tryGetBool(graph.rescale, entry, "output.rescale");
    JsonReader::tryGetBool(graph.previewOnly, entry, "output.previewOnly");
    std::string method = JsonReader::getString(entry, "output.renderMethod");
    std::shared_ptr<Value> highlight;
    JsonReader::tryGetValue(highlight, entry, "output.highlight");
    graph.highlight = loadHighlight(highlight, units);
    std::shared_ptr<Value> output = JsonReader::getValue(entry, "output");
    graph.colours = loadColours(output);
    graph.collector = factory_(units, type, name, label);
    if (method == "bar")
        graph.renderingMethod = std::make_shared<gui::BarRenderingMethod>();
    else
        graph.renderingMethod = std::make_shared<gui::LineRenderingMethod>();
    graph.fillMode = FillMode::None;
    graph.fillIntensity = 0.5f;
    return graph;
}

gui::Highlight ConfigurationLoader::loadHighlight(const std::shared_ptr<Value>& value,
                                                  Units units) {
    gui::Highlight highlight;
    highlight.colour = Colour("ff0000bf");
    if (!value || dynamic_cast<const javascript::Object*>(value.get()) == nullptr)
        return highlight;
    bool present = JsonReader::tryGetNumber(highlight.threshold, value, "value");
    highlight.enabled = present && highlight.threshold != 0.0;
    JsonReader::tryGetBool(highlight.inverted, value, "invert");
    if (std::string colour; JsonReader::tryGetString(colour, value, "colour") && !colour.empty())
        highlight.colour = Colour(colour);
    highlight.units = readUnits(value, "units", units, units);
    return highlight;
}

std::shared_ptr<gui::ColourConfiguration>
ConfigurationLoader::loadColours(const std::shared_ptr<Value>& output) {
    const javascript::Array* entries = JsonReader::getArray(output, "colours");
    std::vector<gui::ColourConfiguration::Stop> stops;
    if (entries != nullptr)
        for (const std::shared_ptr<Value>& entry : entries->elements())
            stops.push_back({JsonReader::getNumber(entry, "value"),
                             Colour(JsonReader::getString(entry, "colour"))});
    return std::make_shared<gui::ColourConfiguration>(std::move(stops));
}
