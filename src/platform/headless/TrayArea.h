#pragma once

#include "pixels/Bitmap.h"
#include "platform/Desktop.h"

#include <optional>
#include <string>
#include <vector>

namespace platform::headless {

struct TrayIconState {
    WindowHandle owner = nullptr;
    std::uint32_t identifier = 0;
    std::uint32_t callbackMessage = 0;
    std::string tip;
    gui::Bitmap<gui::Pixel> picture{trayIconSize, trayIconSize, gui::Pixel{}};
    gui::Bitmap<gui::Pixel> smallPicture{0, 0, gui::Pixel{}}; // set beside it, when asked for
    Point anchor;                                             // the icon's centre on the screen
    unsigned pictures = 0;                                    // how many pictures it has been given
};

// The notification area: its icons in the order they were added, laid out from the taskbar's
// far end (right of a horizontal taskbar, bottom of a vertical one). Not locked: the desktop
// that owns it is.
class TrayArea {
public:
    bool add(const TrayIconRequest& request, const std::optional<Taskbar>& taskbar,
             const Rect& screen);
    bool setPicture(WindowHandle owner, std::uint32_t identifier,
                    const gui::Bitmap<gui::Pixel>& picture,
                    const gui::Bitmap<gui::Pixel>* small = nullptr);
    bool remove(WindowHandle owner, std::uint32_t identifier);
    const TrayIconState* find(std::uint32_t identifier) const;
    const std::vector<TrayIconState>& icons() const { return icons_; }
    bool move(std::uint32_t identifier, Point anchor);
    // The icon's slot on the screen, centred on its anchor.
    static Rect rectOf(const TrayIconState& icon);

private:
    TrayIconState* find(WindowHandle owner, std::uint32_t identifier);

    std::vector<TrayIconState> icons_;
    unsigned slots_ = 0; // slots handed out; a removed icon's slot is not reused
};

} // namespace platform::headless
