#pragma once

#include "platform/software/SoftwareDesktop.h"
#include "platform/x11/ActiveTray.h"
#include "platform/x11/FileWatches.h"
#include "platform/x11/LoopWake.h"
#include "platform/x11/TerminationSignals.h"
#include "platform/x11/X11Pixels.h"

#include <X11/Xlib.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace platform::x11 {

class X11Menu;

// The X11 desktop: override-redirect windows for pop-ups, the icons in whichever kind of tray
// the desktop offers, and X input turned into the shared window messages. Xlib is used on the
// thread that runs the message loop only; other threads post, redraw and set tray pictures through
// the shared queue, and a pipe wakes the loop out of its poll on the X connection. A lost
// connection ends the message loop with exit code 1; from then on nothing is sent to the server.
class X11Desktop final : public software::SoftwareDesktop {
public:
    // Null, with the reason, when no display can be opened.
    static std::unique_ptr<X11Desktop> open(std::string& reason);
    ~X11Desktop() override;

    void present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels, Point at) override;

    bool addTrayIcon(const TrayIconRequest& request) override;
    bool setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                            const gui::Bitmap<gui::Pixel>& picture) override;
    bool removeTrayIcon(WindowHandle owner, std::uint32_t identifier) override;
    bool setTrayIconPictures(WindowHandle owner, std::uint32_t identifier,
                             const gui::Bitmap<gui::Pixel>& picture,
                             const gui::Bitmap<gui::Pixel>& small) override;
    void setTrayIconTip(WindowHandle owner, std::uint32_t identifier,
                        const std::string& tip) override;
    int trayPictureSize(WindowHandle owner, std::uint32_t identifier) const override;
    int traySmallPictureSize(WindowHandle owner, std::uint32_t identifier) const override;
    // The pop-up's check marks, and those of a tray that shows the menu itself.
    void setMenuItemChecked(MenuHandle menu, std::uint32_t command, bool checked) override;

    std::unique_ptr<FileWatch> watchFile(const std::filesystem::path& file, WindowHandle owner,
                                         std::uint32_t message) override;

    void tellUser(const std::string& title, const std::string& text) override;
    bool openInEditor(const std::filesystem::path& file, std::string& failure) override;

    Point cursorPosition() const override;
    std::vector<Rect> monitors() const override;
    std::optional<Taskbar> taskbar() const override;

private:
    // The last button press, to tell a double click from two single ones.
    struct LastPress {
        ::Window window = 0;
        unsigned button = 0;
        Time time = 0;
        Point at;
    };

    X11Desktop(Display* display, std::unique_ptr<LoopWake> wake);
    void wakeFor(const PictureSet& set);

    void collectInput() override;
    void waitForInputLocked(Lock& lock) override;
    void wakeLocked() override;
    void wake();
    void readEvents();
    void reportLostConnection();
    void createNativeLocked(WindowHandle window, software::SoftwareWindow& record,
                            const WindowCreation& creation) override;
    void destroyNativeLocked(WindowHandle window, software::SoftwareWindow& record) override;
    void describeNativeLocked(WindowHandle window, software::SoftwareWindow& record) override;
    void showNativeLocked(WindowHandle window, software::SoftwareWindow& record) override;
    void raiseNativeLocked(WindowHandle window, software::SoftwareWindow& record) override;
    void moveNativeLocked(WindowHandle window, software::SoftwareWindow& record) override;
    void captureNativeLocked(WindowHandle window, software::SoftwareWindow& record) override;
    void releaseNativeCaptureLocked() override;
    bool pointerOverLocked(WindowHandle window) const override;
    void openMenu(const MenuResource& menu, Point at, WindowHandle owner) override;

    // Input (X11Input.cpp).
    void translate(const XEvent& event);
    void translateButton(const XButtonEvent& event, bool press);

    // Shell (X11Shell.cpp).
    Rect screen() const;
    std::optional<Taskbar> panelFromWorkArea(const Rect& screen) const;
    std::optional<Taskbar> panelOfTrayHost(const Rect& screen) const;
    ::Window topLevelAt(Point point) const;
    // The desktop's Xft.dpi resource from the root window, 96 when it is not set.
    int resourceDpi() const;

    std::thread::id loopThread_; // the thread the desktop was made on, which runs the loop
    Display* display_;
    bool lost_ = false; // the connection broke: Xlib set it, the loop reports it once
    bool lossReported_ = false;
    int screen_;
    PixelFormat format_;
    std::unique_ptr<LoopWake> wake_;
    Atom workArea_;
    Atom resourceManager_;
    ImageBuffer image_;
    LastPress lastPress_;
    std::unique_ptr<ActiveTray> tray_;
    std::vector<pollfd> polled_;  // kept, so that waiting does not allocate
    bool fileWatchReady_ = false; // inotify has reports, as the last poll said
    std::unique_ptr<X11Menu> menu_;
    FileWatches fileWatches_;
    std::unique_ptr<TerminationSignals> signals_;
};

} // namespace platform::x11
