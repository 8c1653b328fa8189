#pragma once

#include "platform/x11/Tray.h"
#include "platform/x11/X11Pixels.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace platform::x11 {

// The notification area through the freedesktop system tray protocol: each icon is a small
// window docked into the tray host (XEmbed). Pointer crossings and clicks on it become the
// version-4 call-backs; the hover opens after a short rest, as on Windows. Pictures may be
// set from any thread; the loop's thread draws them in refresh(). The icons' windows live as
// long as the connection.
class XEmbedTray final : public Tray {
public:
    // Icons ask the host for an `iconSide()` pixels square, and are drawn in `format`.
    XEmbedTray(Display* display, int screen, const PixelFormat& format,
               std::function<int()> iconSide);
    XEmbedTray(const XEmbedTray&) = delete;
    XEmbedTray& operator=(const XEmbedTray&) = delete;

    std::string_view name() const override { return "xembed"; }
    const char* shownThrough() const override {
        return "the icons are shown through the XEmbed system tray.";
    }
    // Whether a tray host owns the selection now.
    bool hostPresent() const override { return manager_ != 0; }

    // The host may give the icon another size than the one asked for.
    bool add(const TrayIconRequest& request) override;
    bool remove(WindowHandle owner, std::uint32_t identifier) override;
    // One picture only: the host shows the window at the size it gave it.
    PictureSet setPictures(WindowHandle owner, std::uint32_t identifier,
                           const gui::Bitmap<gui::Pixel>& picture,
                           const gui::Bitmap<gui::Pixel>* small) override;
    std::optional<gui::Bitmap<gui::Pixel>> latestPicture(WindowHandle owner,
                                                         std::uint32_t identifier) const override;
    // The side of the square that fits the icon's window as the host sized it; 16 for an icon
    // it does not know.
    int pictureSize(WindowHandle owner, std::uint32_t identifier) const override;

    // True when the event belongs to an icon window or the host.
    bool handles(const XEvent& event) override;
    // How long the loop may sleep before a hover opens; -1 for as long as it likes.
    int millisecondsToNextEvent() const override;
    // Docks icons the host has not taken yet and draws changed pictures.
    void refresh() override;
    // The call-backs due now, taken out.
    std::vector<TrayEvent> takeEvents() override;
    // The window of an icon the host has docked: the host's panel contains it.
    PanelClue panelClue() const override;

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
    void draw(Icon& icon);
    void readBehind(Icon& icon, int width, int height);
    void reportHost(bool waiting);
    // A call-back anchored at the icon's centre, or at a point of the screen.
    void post(const Icon& icon, std::uint32_t event);
    void postAt(const Icon& icon, std::uint32_t event, Point at);
    Icon* iconOf(::Window window);
    Visual* trayVisual(::Window host, int& depth) const;

    Display* display_;
    int screen_;
    PixelFormat format_;
    std::function<int()> iconSide_;
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

} // namespace platform::x11
