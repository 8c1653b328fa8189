#pragma once

#include "pixels/Bitmap.h"
#include "platform/Desktop.h"
#include "platform/x11/X11Pixels.h"

#include <X11/Xlib.h>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform::x11 {

// A tray call-back due for an owner window.
struct TrayEvent {
    WindowHandle owner;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
};

// The notification area through the freedesktop system tray protocol: each icon is a small
// window docked into the tray host (XEmbed). Pointer crossings and clicks on it become the
// version-4 call-backs; the hover opens after a short rest, as on Windows. Pictures may be
// set from any thread; the loop's thread draws them in refresh(). The icons' windows live as
// long as the connection.
class X11Tray {
public:
    X11Tray(Display* display, int screen);
    X11Tray(const X11Tray&) = delete;
    X11Tray& operator=(const X11Tray&) = delete;

    // Asks the host for a `side` pixels square; the host may give the icon another size.
    bool add(const TrayIconRequest& request, int side);
    struct PictureSet {
        bool known;               // the icon exists
        bool everyIconHasANewOne; // none of the other icons still shows its last picture
    };
    PictureSet setPicture(WindowHandle owner, std::uint32_t identifier,
                          const gui::Bitmap<gui::Pixel>& picture);
    bool remove(WindowHandle owner, std::uint32_t identifier);
    // The newest picture set, to move the icon to another tray; on the loop's thread.
    std::optional<gui::Bitmap<gui::Pixel>> latestPicture(WindowHandle owner,
                                                         std::uint32_t identifier) const;
    // The side of the square that fits the icon's window as the host sized it; 16 for an icon
    // it does not know.
    int pictureSize(WindowHandle owner, std::uint32_t identifier) const;

    // True when the event belongs to an icon window.
    bool handles(const XEvent& event);
    // Docks icons the host has not taken yet and draws changed pictures.
    void refresh(const PixelFormat& format);
    // The call-backs due now, taken out.
    std::vector<TrayEvent> takeEvents();
    // How long the loop may sleep before a hover opens; -1 for as long as it likes.
    int millisecondsToNextEvent() const;
    // Whether a tray host owns the selection now; on the loop's thread.
    bool hostPresent() const { return manager_ != 0; }
    // The window of an icon the tray host has docked, or 0: the host's panel contains it.
    ::Window dockedIcon() const;

private:
    enum class Hover { Outside, Resting, Open };
    struct Icon {
        WindowHandle owner = nullptr;
        std::uint32_t identifier = 0;
        std::uint32_t callback = 0;
        ::Window window = 0;
        bool argb = false;
        ::Window host = 0;     // the tray host asked to take it, 0 while none was
        bool embedded = false; // inside a host's window rather than on the root
        bool dirty = true;     // to be drawn again; the loop's thread only
        int width = trayIconSize;
        int height = trayIconSize;
        // The latest picture an animation thread set, under the lock, and the one drawn.
        gui::Bitmap<gui::Pixel> picture{trayIconSize, trayIconSize, gui::Pixel{}};
        bool newPicture = true;
        gui::Bitmap<gui::Pixel> drawn{trayIconSize, trayIconSize, gui::Pixel{}};
        Hover hover = Hover::Outside;
        std::chrono::steady_clock::time_point opensAt;
        ImageBuffer image;
        gui::Bitmap<gui::Pixel> behind{0, 0, gui::Pixel{}}; // the host's background here
        bool behindKnown = false;
    };
    using Clock = std::chrono::steady_clock;

    bool handlesHost(const XEvent& event);
    void followManager();
    void dock(Icon& icon);
    bool takePicture(Icon& icon);
    void draw(Icon& icon, const PixelFormat& format);
    void readBehind(Icon& icon, const PixelFormat& format, int width, int height);
    void reportHost(bool waiting);
    void post(const Icon& icon, std::uint32_t event);
    Icon* iconOf(::Window window);
    Visual* trayVisual(::Window host, int& depth) const;

    Display* display_;
    int screen_;
    Atom selection_;
    Atom managerAtom_;
    Atom opcode_;
    Atom xembedInfo_;
    Atom visualAtom_;
    Atom netWmName_;
    Atom utf8String_;
    // The icons' new pictures, set from animation threads. Only the loop's thread adds, removes
    // or changes icons otherwise, and it reads them without the lock.
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Icon>> icons_;
    std::vector<TrayEvent> events_;
    ::Window manager_ = 0;     // the tray host now owning the selection, watched for its end
    bool hostMissing_ = false; // said that icons wait for a notification area
    gui::Bitmap<gui::Pixel> canvas_{0, 0, gui::Pixel{}};
};

// Stores a new picture for the icon among `icons` that has the owner and identifier, and says
// whether every icon now has one it has not shown. The caller holds the icons' lock.
template <typename Icons>
X11Tray::PictureSet storePicture(Icons& icons, WindowHandle owner, std::uint32_t identifier,
                                 const gui::Bitmap<gui::Pixel>& picture) {
    X11Tray::PictureSet set{false, true};
    for (const auto& icon : icons) {
        if (icon->owner == owner && icon->identifier == identifier) {
            icon->picture = picture;
            icon->newPicture = true;
            set.known = true;
        }
        set.everyIconHasANewOne = set.everyIconHasANewOne && icon->newPicture;
    }
    return set;
}

} // namespace platform::x11
