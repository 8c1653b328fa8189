#include "gui/controls/ClientArea.h"

namespace gui {

ClientArea::ClientArea() {
    setAlignment(AlignFill);
    setBuffered(true);
    invalidate(true, true);
}

void ClientArea::onResized(const ResizeRecord&) {
    const auto& all = children();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        (*it)->layout(true, true);
}

} // namespace gui
