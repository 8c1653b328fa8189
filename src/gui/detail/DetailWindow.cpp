#include "gui/detail/DetailWindow.h"

#include "gui/detail/WindowManager.h"
#include "platform/Resources.h"
#include "platform/Text.h"

#include <algorithm>
#include <optional>

namespace gui {

namespace {

std::int32_t rowsOf(const MonitorConfiguration& configuration) {
    return static_cast<std::int32_t>(configuration.detail.graphs.size());
}

// The window moved away from the taskbar until it keeps `gap` from the icon, which matters for
// an icon in the flyout of hidden icons, above or beside the taskbar.
platform::Rect clearOf(platform::Rect r, const platform::Rect& icon, std::uint32_t edge,
                       std::int32_t gap) {
    bool near = r.left < icon.right + gap && icon.left - gap < r.right &&
                r.top < icon.bottom + gap && icon.top - gap < r.bottom;
    if (!near)
        return r;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    switch (edge) {
    case ABE_LEFT:
        dx = icon.right + gap - r.left;
        break;
    case ABE_TOP:
        dy = icon.bottom + gap - r.top;
        break;
    case ABE_RIGHT:
        dx = icon.left - gap - r.right;
        break;
    default:
        dy = icon.top - gap - r.bottom;
        break;
    }
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

} // namespace

DetailWindow::DetailWindow(std::shared_ptr<IWindowManager> windowManager,
                           std::shared_ptr<MonitorConfiguration> configuration,
                           std::int32_t graphWidth, std::int32_t graphHeight)
    : WaitingAnimatedWindow([this] { return frame(); }, [this] { waitForSample(); }),
      windowManager_(std::move(windowManager)), configuration_(std::move(configuration)),
      graphWidth_(graphWidth), graphHeight_(graphHeight),
      layout_(platform::Scale(), {graphWidth, graphHeight}, rowsOf(*configuration_)) {}

DetailWindow::~DetailWindow() {
    stopAndWait();
    windowManager_->unregisterWindow(this);
    for (GraphConfiguration& graph : configuration_->detail.graphs)
        graph.view->setOffsetChangedHandler({});
}

void DetailWindow::build() {
    events.mouseDown = [this](MouseClickArgs& args) { return beginDrag(args); };
    events.mouseUp = [this](MouseClickArgs& args) { return endDrag(args); };
    events.mouseMove = [this](unsigned, unsigned) { return dragMove(); };
    create();
    initialise();
    // Told apart from the icon, which is named after the graphs too.
    title_ = displayTitle(configuration_->detail, "PakVue details");
    describe();
    setHandler(WM_DPICHANGED, [this](winui::evtarg& message) { dpiChanged(message); });
    // Only a pinned window takes the keyboard when clicked: a preview is a glance.
    setHandler(WM_MOUSEACTIVATE, [this](winui::evtarg& message) {
        message.result = MA_NOACTIVATE;
        message.handled = !pinned_;
    });
    std::lock_guard lock(treeMutex());
    setBackground(background_);
    Colour header(background_.red * 1.1f, background_.green * 1.1f, background_.blue * 1.1f, 255);
    for (const char* text : {"Last", "Avg", "Peak"}) {
        auto label = std::make_shared<Label>(text);
        label->setBackground(header);
        label->textAlign = 1;
        headers_.push_back(label);
        addChild(label);
    }
    std::vector<GraphConfiguration>& graphs = configuration_->detail.graphs;
    for (std::size_t i = 0; i < graphs.size(); ++i) {
        auto row =
            std::make_shared<VisualDescriptor>(*this, graphs[i], static_cast<std::int32_t>(i));
        graphs[i].view->setOffsetChangedHandler([this](std::uint32_t) { updateLegend(); });
        row->setBaseColour(background_);
        rows_.push_back(row);
    }
    graph_ = std::make_shared<GraphControl>(Rect{0, 0, graphWidth_, graphHeight_}, configuration_);
    graph_->setAlignment(AlignFill);
    graph_->setBackground(background_);
    addChild(graph_);
    closeButton_ =
        std::make_shared<Button>(IconResource{platform::closeIconResource, 16},
                                 IconResource{platform::closePressedIconResource, 16}, "");
    closeButton_->autoSize = false;
    closeButton_->setColours(background_, 1.2f, 1.4f, 1.6f);
    closeButton_->events.click = [this](MouseClickArgs& args) { return closeClicked(args); };
    addChild(closeButton_);
    closeButton_->setShown(false);
    arrange();
}

void DetailWindow::show(std::int32_t x, std::int32_t y, bool pin,
                        const std::optional<platform::Rect>& icon) {
    {
        std::lock_guard lock(treeMutex());
        if (!(positioned_ && pinned_))
            place(x, y, icon);
        if (pin) {
            closeButton_->setShown(true);
            pinned_ = true;
        }
        updateLegend();
        graph_->renderGraph(false);
        platform::desktop().redraw(hwnd); // after the close button, so that it shows at once
        showing_ = true;
    }
    describe();
    winui::window::show();
    platform::desktop().setTopmost(hwnd);
    // A frame thread asked to stop by the close button may still be finishing: wait for it,
    // then start from the samples already shown, so that a scrolled view only moves along
    // when a new sample comes.
    stopAndWait();
    lastSample_ = framedSample_ = configuration_->dataSet->generation();
    start();
    windowManager_->registerWindow(this);
}

void DetailWindow::hidePreview() {
    if (!pinned_)
        withdraw(true);
}

bool DetailWindow::closeClicked(MouseClickArgs&) {
    {
        // A click arrives with the tree already held; a direct call must take it, since the
        // frame thread walks the same controls.
        std::lock_guard lock(treeMutex());
        pinned_ = false;
        closeButton_->setShown(false);
    }
    // The frame thread may be waiting for the tree we may hold: ask it to stop and let the
    // next start or the destructor wait for it.
    withdraw(false);
    return true;
}

void DetailWindow::withdraw(bool join) {
    windowManager_->unregisterWindow(this);
    {
        std::lock_guard lock(treeMutex());
        showing_ = false;
        dragging_ = false;
        // A window shown now and then holds no pictures in between: a megabyte and more.
        releasePictures();
        releaseFrame();
    }
    if (join)
        stopAndWait();
    else
        stop();
    if (windowManager_->empty())
        platform::releaseFonts(); // before hiding, which hands the freed memory back
    hide();
}

void DetailWindow::updateLegend() {
    SharedDataSetLock hold(configuration_->dataSet);
    for (const auto& row : rows_)
        row->update();
}

std::shared_ptr<Bitmap<Pixel>> DetailWindow::frame() {
    {
        std::lock_guard lock(treeMutex());
        if (!showing_)
            return nullptr;
        updateLegend();
        graph_->renderGraph(lastSample_ != framedSample_);
        framedSample_ = lastSample_;
    }
    platform::desktop().redraw(hwnd);
    return nullptr;
}

void DetailWindow::waitForSample() {
    lastSample_ = configuration_->dataSet->waitForUpdate(lastSample_);
}

// Placement

platform::Rect DetailWindow::targetRect(std::int32_t x, std::int32_t y,
                                        const std::optional<platform::Rect>& icon) const {
    std::int32_t w = layout_.client().width;
    std::int32_t h = layout_.client().height;
    std::int32_t gap = layout_.margin(); // between the window and the taskbar or screen edge
    platform::Taskbar taskbar = WindowManager::getTaskbarPosition();
    const platform::Rect& tb = taskbar.bounds;
    platform::Rect r;
    switch (taskbar.edge) {
    case ABE_LEFT:
        r = {tb.right + gap, y - h / 2, tb.right + gap + w, y + h / 2};
        break;
    case ABE_TOP:
        r = {x - w / 2, tb.bottom + gap, x + w / 2, tb.bottom + gap + h};
        break;
    case ABE_RIGHT:
        r = {tb.left - gap - w, y - h / 2, tb.left - gap, y + h / 2};
        break;
    case ABE_BOTTOM:
        r = {x - w / 2, tb.top - gap - h, x + w / 2, tb.top - gap};
        break;
    default:
        return {};
    }
    if (icon)
        r = clearOf(r, *icon, taskbar.edge, gap);
    // Centred on the icon and inside the work area of the icon's monitor, as far from its sides as
    // from the taskbar; a window larger than the area keeps its top-left corner (and the close
    // button) on the screen.
    std::optional<platform::Rect> area = platform::desktop().workArea({x, y});
    if (!area)
        return r;
    std::int32_t dx = std::max(area->left + gap - r.left, std::min(0, area->right - gap - r.right));
    std::int32_t dy = std::max(area->top + gap - r.top, std::min(0, area->bottom - gap - r.bottom));
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

void DetailWindow::place(std::int32_t x, std::int32_t y,
                         const std::optional<platform::Rect>& icon) {
    platform::Desktop& desktop = platform::desktop();
    applyScale(platform::Scale(desktop.monitorDpi({x, y}))); // the icon's monitor's
    platform::Rect target = targetRect(x, y, icon);
    platform::Rect current = desktop.windowRect(hwnd);
    desktop.moveWindow(
        hwnd,
        {current.left, current.top, current.left + target.width(), current.top + target.height()},
        true);
    move(target.left, target.top);
    arrange();
    positioned_ = true;
}

void DetailWindow::describe() {
    platform::desktop().describeWindow(
        hwnd, {title_, pinned_ ? platform::WindowRole::Pinned : platform::WindowRole::Preview});
}

// Scaling

bool DetailWindow::applyScale(platform::Scale scale) {
    if (scale == layout_.scale())
        return false;
    layout_ = DetailLayout(scale, {graphWidth_, graphHeight_}, rowsOf(*configuration_));
    setScale(scale);
    return true;
}

void DetailWindow::arrange() {
    std::int32_t clientWidth = platform::desktop().clientRect(hwnd).width();
    for (const auto& row : rows_)
        row->layout(layout_, clientWidth);
    std::int32_t values = layout_.valuesLeft(clientWidth);
    std::int32_t column = layout_.columnWidth();
    for (std::size_t k = 0; k < headers_.size(); ++k)
        headers_[k]->setBounds({values + column * static_cast<std::int32_t>(k), layout_.rowTop(-1),
                                column, layout_.rowHeight()});
    Edges margins = layout_.graphMargins();
    graph_->setMargins(margins.left, margins.right, margins.top, margins.bottom);
    graph_->layout(true, false);
    std::int32_t close = layout_.closeSize();
    closeButton_->setBounds({layout_.margin(), layout_.margin(), close, close});
}

// The desktop moved the window to a monitor of another scale, or the monitor's scale changed:
// the layout follows, in the rectangle the desktop suggests, so that the window does not jump
// back and forth between two monitors.
void DetailWindow::dpiChanged(winui::evtarg& message) {
    std::lock_guard lock(treeMutex());
    message.result = 0;
    message.handled = true;
    if (!applyScale(platform::Scale(platform::lowWord(message.wParam))))
        return; // placed for this scale already
    if (const auto* suggested = reinterpret_cast<const platform::Rect*>(message.lParam))
        platform::desktop().moveWindow(hwnd, *suggested, true);
    arrange();
    if (showing_) {
        updateLegend();
        graph_->renderGraph(false);
    }
    platform::desktop().redraw(hwnd);
}

// Dragging a pinned window

bool DetailWindow::beginDrag(MouseClickArgs& args) {
    if (args.button != 0)
        return false;
    if (!dragging_) {
        platform::Desktop& desktop = platform::desktop();
        dragCursor_ = desktop.cursorPosition();
        platform::Rect bounds = desktop.windowRect(hwnd);
        dragOrigin_ = desktop.screenToClient(desktop.parent(hwnd), {bounds.left, bounds.top});
        dragging_ = true;
    }
    return true;
}

bool DetailWindow::endDrag(MouseClickArgs& args) {
    if (args.button != 0)
        return false;
    dragging_ = false;
    return true;
}

bool DetailWindow::dragMove() {
    if (!dragging_)
        return false;
    platform::Desktop& desktop = platform::desktop();
    platform::Point cursor = desktop.cursorPosition();
    platform::Rect bounds = desktop.windowRect(hwnd);
    Rect placed = windowManager_->place(this, dragOrigin_.x + cursor.x - dragCursor_.x,
                                        dragOrigin_.y + cursor.y - dragCursor_.y, bounds.width(),
                                        bounds.height());
    move(placed.x, placed.y);
    return true;
}

} // namespace gui
