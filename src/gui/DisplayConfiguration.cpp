#include "gui/DisplayConfiguration.h"

namespace gui {

std::string displayTitle(const DisplayConfiguration& descriptor, std::string name) {
    std::string title = std::move(name);
    const char* separator = ": ";
    for (const GraphConfiguration& graph : descriptor.graphs) {
        std::string graphName = graph.collector ? graph.collector->getName() : std::string();
        if (graphName.empty())
            continue;
        title += separator + graphName;
        separator = ", ";
    }
    return title;
}

} // namespace gui
