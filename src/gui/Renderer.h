#pragma once

#include "gui/controls/IRenderable.h"
#include "pixels/Bitmap.h"
#include "platform/Messages.h"

#include <memory>
#include <mutex>
#include <vector>

namespace gui {

// The renderer of top-level windows: composes the registered control trees into the window's
// pixels and presents them. It also owns the lock of the window's control tree, which every
// thread that reads or changes the tree holds: the window's message handlers, its painting and
// an animation thread's frames.
class Renderer {
public:
    // Paints every registered renderable, the last registered first; true when painted.
    bool paint(platform::WindowHandle window);
    // Held weakly: a window registers its own root, which must not keep itself alive.
    void registerRenderable(const std::shared_ptr<IRenderable>& renderable);
    // Lets the window's picture go while it is hidden; the next paint makes it again.
    void releaseFrame();
    std::recursive_mutex& treeMutex() { return treeMutex_; }

private:
    std::vector<std::weak_ptr<IRenderable>> renderables_;
    Bitmap<Pixel> frame_{0, 0, Pixel{}};
    std::recursive_mutex treeMutex_;
};

} // namespace gui
