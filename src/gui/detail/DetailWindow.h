#pragma once

#include "gui/MonitorConfiguration.h"
#include "gui/WaitingAnimatedWindow.h"
#include "gui/controls/Button.h"
#include "gui/controls/Label.h"
#include "gui/detail/DetailLayout.h"
#include "gui/detail/GraphControl.h"
#include "gui/detail/IWindowManager.h"
#include "gui/detail/VisualDescriptor.h"
#include "platform/ScreenGeometry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// The size of the detail window's graphs, in pixels.
inline constexpr std::int32_t detailGraphWidth = 480;
inline constexpr std::int32_t detailGraphHeight = 81;

// The pop-up of one tray icon: its graphs large, a header row, a legend row per graph and, while
// pinned, a close button. It pops up beside the taskbar at the icon; a pinned one can be
// dragged and snaps to screen edges and other detail windows. Its layout and text follow the
// scale of the monitor it is on: placed at an icon, it takes that monitor's, and it lays itself
// out again when the desktop says its scale changed.
class DetailWindow : public WaitingAnimatedWindow, public SharedPtrProvider<DetailWindow> {
public:
    DetailWindow(std::shared_ptr<IWindowManager> windowManager,
                 std::shared_ptr<MonitorConfiguration> configuration, std::int32_t graphWidth,
                 std::int32_t graphHeight);
    ~DetailWindow() override;

    using winui::window::show;

    // Creates the window and its controls; once, right after construction.
    void build();
    // Shows the window at the tray icon's anchor point (screen coordinates), clear of the
    // icon's rectangle where the notification area tells it; `pin` keeps it open when the
    // mouse leaves the icon. Throws std::runtime_error when the taskbar cannot be found.
    void show(std::int32_t x, std::int32_t y, bool pin,
              const std::optional<platform::Rect>& icon = std::nullopt);
    // The mouse left the icon: an unpinned window goes.
    void hidePreview();
    // The close button: unpins and hides.
    bool closeClicked(MouseClickArgs& args);
    // Rewrites every legend row under the data set's shared hold.
    void updateLegend();

    bool isPinned() const { return pinned_; }
    const std::shared_ptr<GraphControl>& graph() const { return graph_; }
    const std::vector<std::shared_ptr<VisualDescriptor>>& rows() const { return rows_; }

    // Where the window goes for an anchor point: beside the taskbar and clear of the icon by
    // 8 pixels at 100 %, inside the work area of the icon's monitor.
    platform::Rect targetRect(std::int32_t x, std::int32_t y,
                              const std::optional<platform::Rect>& icon) const;

private:
    std::shared_ptr<Bitmap<Pixel>> frame();
    void waitForSample();
    void place(std::int32_t x, std::int32_t y, const std::optional<platform::Rect>& icon);
    // Takes a new scale for the layout and the controls; false when it is the one in use.
    bool applyScale(platform::Scale scale);
    // Lays the controls out at the current scale for the window's client area.
    void arrange();
    void dpiChanged(winui::evtarg& message);
    // Names the window after its graphs and says whether it is pinned.
    void describe();
    // Stops the frames and hides the window; `join` waits for the frame thread to end.
    void withdraw(bool join);
    bool beginDrag(MouseClickArgs& args);
    bool endDrag(MouseClickArgs& args);
    bool dragMove();

    std::shared_ptr<IWindowManager> windowManager_;
    std::shared_ptr<MonitorConfiguration> configuration_;
    std::shared_ptr<GraphControl> graph_;
    std::vector<std::shared_ptr<VisualDescriptor>> rows_;
    std::vector<std::shared_ptr<Label>> headers_;
    std::shared_ptr<Button> closeButton_;
    std::int32_t graphWidth_;
    std::int32_t graphHeight_;
    DetailLayout layout_;
    bool positioned_ = false;
    bool pinned_ = false;
    bool showing_ = false; // frames are drawn only while true
    Colour background_{63, 63, 63, 255};
    std::string title_;
    bool dragging_ = false;
    platform::Point dragCursor_;
    platform::Point dragOrigin_;
    // The frame thread's alone while it runs: the last sample waited for and the last drawn.
    std::uint32_t lastSample_ = 0;
    std::uint32_t framedSample_ = 0;
};

} // namespace gui
