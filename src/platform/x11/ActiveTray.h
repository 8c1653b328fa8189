#pragma once

#include "platform/x11/Tray.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform::x11 {

// The kinds of tray an X11 desktop may offer, and the one that shows the icons now: never two,
// or a panel that hosts both kinds would show each icon twice. The icons go to the kind most
// preferred whose host is there when the first icon comes, or to the one PAKVUE_TRAY names for
// good. Unless forced, they move at once to a more preferred kind whose host comes, and to a
// less preferred one only when their own host has been gone a while: a panel that restarts is
// back within it.
class ActiveTray {
public:
    // `kinds`, most preferred first; the last is the one that waits when no host is there.
    explicit ActiveTray(std::vector<std::unique_ptr<Tray>> kinds);

    // Icons; the first one chooses the kind. Pictures and tips may come from any thread.
    bool add(const TrayIconRequest& request);
    bool remove(WindowHandle owner, std::uint32_t identifier);
    PictureSet setPictures(WindowHandle owner, std::uint32_t identifier,
                           const gui::Bitmap<gui::Pixel>& picture,
                           const gui::Bitmap<gui::Pixel>* small);
    void setTip(WindowHandle owner, std::uint32_t identifier, const std::string& tip);
    int pictureSize(WindowHandle owner, std::uint32_t identifier) const;
    int smallPictureSize() const;
    // Every kind keeps it, so that the menu shows it wherever the icons go.
    void setMenuItemChecked(std::uint32_t command, bool checked);

    // The loop's thread: every kind keeps following its hosts.
    bool handles(const XEvent& event);
    void watch(std::vector<pollfd>& into) const;
    int millisecondsToNextEvent() const;
    // Every kind's work, then the move to the kind that should show the icons now.
    void refresh();
    std::vector<TrayEvent> takeEvents();
    PanelClue panelClue() const { return active_->panelClue(); }

private:
    // What an icon was added with, to add it to another kind.
    struct ShownIcon {
        WindowHandle owner;
        std::uint32_t identifier;
        std::uint32_t callback;
        std::string tip;
        std::string valueTip; // the latest one set, which only some kinds show
    };
    using Clock = std::chrono::steady_clock;

    void choose();
    Tray* mostPreferredWithHost() const;
    bool preferred(const Tray* kind, const Tray* over) const;
    void follow();
    void moveTo(Tray& kind);

    std::vector<std::unique_ptr<Tray>> kinds_;
    Tray* active_;
    bool chosen_ = false;
    bool following_ = false;
    std::optional<Clock::time_point> hostGoneSince_;
    // Animation threads set pictures while the loop's thread moves icons between the kinds.
    mutable std::mutex route_;
    std::vector<ShownIcon> icons_; // under route_
};

} // namespace platform::x11
