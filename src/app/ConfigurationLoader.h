#pragma once

#include "gui/MonitorConfiguration.h"
#include "javascript/Value.h"
#include "monitoring/DataCollector.h"
#include "values/ConfigurationValues.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Builds what one configured icon needs from its entry in the configuration: the graphs with
// their collectors, one buffer per graph shared by both displays, the views, the two display
// records and the data set. Each failure throws with the text the log shows.
class ConfigurationLoader {
public:
    using CollectorFactory = std::function<std::shared_ptr<util::system::monitoring::DataCollector>(
        Units units, const std::string& type, const std::string& name, const std::string& label)>;

    // The shortest update interval an icon runs at: anything faster would only load the
    // desktop.
    static constexpr std::uint32_t shortestInterval = 100;
    // The most samples a graph keeps: every buffer is allocated in full when the icon loads.
    static constexpr double largestHistory = 1'000'000;

    // `root` is the whole document, where the icons' shared keys live.
    ConfigurationLoader(std::shared_ptr<javascript::Value> root, CollectorFactory factory);

    std::shared_ptr<gui::MonitorConfiguration>
    loadIcon(const std::shared_ptr<javascript::Value>& icon) const;
    // Logs each graph that fails and goes on; throws when none is left.
    std::vector<gui::GraphConfiguration> loadGraphs(const std::shared_ptr<javascript::Value>& icon,
                                                    Units units) const;
    gui::GraphConfiguration loadGraph(const std::shared_ptr<javascript::Value>& graph,
                                      Units units) const;
    static gui::Highlight loadHighlight(const std::shared_ptr<javascript::Value>& highlight,
                                        Units units);
    static std::shared_ptr<gui::ColourConfiguration>
    loadColours(const std::shared_ptr<javascript::Value>& output);

    // How many graphs failed and were left out, for a check of the file.
    std::size_t failedGraphs() const { return failedGraphs_; }

private:
    std::shared_ptr<javascript::Value> root_;
    CollectorFactory factory_;
    mutable std::size_t failedGraphs_ = 0;
};
