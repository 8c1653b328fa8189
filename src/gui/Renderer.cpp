#include "gui/Renderer.h"

#include "platform/Desktop.h"

namespace gui {

bool Renderer::paint(platform::WindowHandle window) {
    std::lock_guard lock(treeMutex_);
    platform::Desktop& desktop = platform::desktop();
    platform::Rect client = desktop.clientRect(window);
    if (frame_.width() != client.width() || frame_.height() != client.height())
        frame_ = Bitmap<Pixel>(client.width(), client.height(), Pixel{});
    Rect clip{0, 0, client.width(), client.height()};
    for (auto it = renderables_.rbegin(); it != renderables_.rend(); ++it)
        if (std::shared_ptr<IRenderable> renderable = it->lock())
            renderable->render(window, frame_, clip);
    desktop.present(window, frame_, {0, 0});
    return true;
}

void Renderer::releaseFrame() {
    std::lock_guard lock(treeMutex_);
    frame_ = Bitmap<Pixel>(0, 0, Pixel{});
}

void Renderer::registerRenderable(const std::shared_ptr<IRenderable>& renderable) {
    std::lock_guard lock(treeMutex_);
    renderables_.push_back(renderable);
}

} // namespace gui
