#pragma once

#include "pixels/Bitmap.h"
#include "platform/Messages.h"
#include "platform/ScreenGeometry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The desktop the program runs on: its message loop, windows, notification-area icons, menus and
// shell. One implementation per backend (Win32, X11, headless); the code above talks to the one
// installed with `installDesktop`. Input arrives as window messages of the shared vocabulary.
namespace platform {

struct Message {
    WindowHandle window = nullptr;
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

struct WindowClass {
    std::uint32_t style = 0; // CS_* flags
    WindowProcedure procedure = nullptr;
    std::uint32_t cursor = 0;     // a standard cursor such as IDC_ARROW; 0 for none
    std::uint32_t background = 0; // a system colour index plus one; 0 for none
    std::string name;
};

struct WindowCreation {
    std::uint32_t extendedStyle = 0;
    std::string className;
    std::string title;
    std::uint32_t style = 0;
    std::int32_t x = CW_USEDEFAULT; // CW_USEDEFAULT lets the desktop choose
    std::int32_t y = CW_USEDEFAULT;
    std::int32_t width = CW_USEDEFAULT;
    std::int32_t height = CW_USEDEFAULT;
    bool messageOnly = false; // receives messages, is never shown
    int identifier = 0;       // a child control's identifier
};

// The side of a notification-area icon's picture at 96 dots per inch, in pixels: icons draw
// square pictures of it, or of the size the notification area asks for.
inline constexpr int trayIconSize = 16;
// The sides a notification-area picture may have; a tray that asks for more gets the largest,
// centred. Anything taller is a graph, not an icon.
inline constexpr int smallestTrayIconSize = 8;
inline constexpr int largestTrayIconSize = 64;

// The longest tip, in bytes of UTF-8, that every notification area shows whole.
inline constexpr std::size_t trayTipLength = 127;

struct TrayIconRequest {
    WindowHandle owner = nullptr; // receives the call-back messages
    std::uint32_t identifier = 0;
    std::uint32_t callbackMessage = 0;
    std::string tip;                                  // UTF-8, at most trayTipLength bytes
    const gui::Bitmap<gui::Pixel>* picture = nullptr; // a square picture
};

// What a pop-up window is to the user.
enum class WindowRole { Preview, Pinned, Menu };

// How a pop-up window is named to the desktop's task lists, compositors and window rules.
struct WindowDescription {
    std::string title; // UTF-8
    WindowRole role = WindowRole::Preview;

    friend bool operator==(const WindowDescription&, const WindowDescription&) = default;
};

// A watch on a file, kept while this object lives; it is released on the thread that asked
// for it.
class FileWatch {
public:
    virtual ~FileWatch() = default;
};

struct Taskbar {
    Rect bounds;
    std::uint32_t edge = ABE_BOTTOM; // ABE_LEFT, ABE_TOP, ABE_RIGHT or ABE_BOTTOM
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // Message loop. Posting and quitting are safe from any thread; the rest runs on the thread
    // that created the windows.
    virtual bool getMessage(Message& message) = 0; // false at the quit message
    virtual LResult dispatchMessage(const Message& message) = 0;
    virtual bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) = 0;
    virtual LResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) = 0;
    virtual void postQuitMessage(int exitCode) = 0;

    // Windows. Failures leave their reason in lastError().
    virtual bool registerClass(const WindowClass& windowClass) = 0;
    virtual WindowHandle createWindow(const WindowCreation& creation) = 0;
    virtual bool destroyWindow(WindowHandle window) = 0;
    virtual LResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                                     LParam lParam) = 0;
    virtual std::uint32_t lastError() const = 0;
    virtual void setUserData(WindowHandle window, LParam data) = 0;
    virtual LParam userData(WindowHandle window) const = 0;
    virtual int controlIdentifier(WindowHandle window) const = 0;
    virtual WindowHandle parent(WindowHandle window) const = 0;
    virtual Point screenToClient(WindowHandle window, Point point) const = 0;
    virtual void showWindow(WindowHandle window, bool visible) = 0;
    virtual bool isVisible(WindowHandle window) const = 0;
    virtual void setTopmost(WindowHandle window) = 0;
    virtual void moveWindow(WindowHandle window, const Rect& bounds, bool repaint) = 0;
    virtual Rect windowRect(WindowHandle window) const = 0; // screen coordinates
    virtual Rect clientRect(WindowHandle window) const = 0; // origin at 0, 0
    // Names a pop-up and says what it is, before it shows or as it changes. Desktops whose
    // windows tell no one such things ignore it.
    virtual void describeWindow(WindowHandle, const WindowDescription&) {}

    // Painting: invalidate marks a window for a later WM_PAINT; update paints a marked window
    // now; redraw does both and may be called from any thread. Between beginPaint and endPaint
    // the window's procedure presents finished pixels at a client position.
    virtual void invalidate(WindowHandle window) = 0;
    virtual void update(WindowHandle window) = 0;
    virtual void redraw(WindowHandle window) = 0;
    virtual void beginPaint(WindowHandle window) = 0;
    virtual void endPaint(WindowHandle window) = 0;
    virtual void present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels, Point at) = 0;

    // Mouse: capture sends all mouse input to one window; leave tracking posts one
    // WM_MOUSELEAVE when the mouse leaves the window.
    virtual void setCapture(WindowHandle window) = 0;
    virtual void releaseCapture() = 0;
    virtual void trackMouseLeave(WindowHandle window) = 0;

    // Notification area. Icons speak the version-4 call-backs: the event in the low word of
    // lParam, the identifier in its high word, the anchor point in wParam. Setting a picture
    // is safe from any thread.
    virtual bool addTrayIcon(const TrayIconRequest& request) = 0;
    virtual bool setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                                    const gui::Bitmap<gui::Pixel>& picture) = 0;
    virtual bool removeTrayIcon(WindowHandle owner, std::uint32_t identifier) = 0;
    // A tip that says more than the one the icon was added with, from any thread. Only
    // notification areas that show tips of their own take it; the others keep the first.
    virtual void setTrayIconTip(WindowHandle, std::uint32_t, const std::string&) {}
    // The side in pixels of the picture the notification area shows for an icon: the small-icon
    // size at the tray's dots per inch, or the size the tray host gave the icon. Safe from any
    // thread.
    virtual int trayPictureSize(WindowHandle owner, std::uint32_t identifier) const = 0;
    // Notification areas that choose among pictures of several sizes scale less, and show
    // crisper icons, when a smaller picture comes beside the main one: its side, or 0 when the
    // notification area takes one picture only. Safe from any thread.
    virtual int traySmallPictureSize(WindowHandle, std::uint32_t) const { return 0; }
    // The main picture and the smaller one together, so that both show the same moment.
    virtual bool setTrayIconPictures(WindowHandle owner, std::uint32_t identifier,
                                     const gui::Bitmap<gui::Pixel>& picture,
                                     const gui::Bitmap<gui::Pixel>&) {
        return setTrayIconPicture(owner, identifier, picture);
    }

    // Menus: a menu resource's first pop-up, opened for a notification-area icon at a point (where
    // it was clicked, or the icon itself for a keyboard user); the chosen item reaches the icon's
    // owner as WM_COMMAND. Where a menu closes on a click elsewhere only while its window is the
    // foreground one, the desktop shows it from a top-level window of its own brought to the
    // foreground, and gives the icon back the keyboard focus when the menu is dismissed.
    virtual MenuHandle loadMenu(int resource) = 0;
    virtual void destroyMenu(MenuHandle menu) = 0;
    virtual void trackPopupMenu(MenuHandle menu, Point at, WindowHandle owner,
                                std::uint32_t identifier) = 0;
    // Shows or clears the check mark of the item with that command, wherever the menu shows.
    // Just before a menu shows, its owner hears WM_INITMENUPOPUP and may set its check marks
    // then; a notification area that shows the menu itself (a StatusNotifierItem host) sends
    // it when its host is about to show the menu.
    virtual void setMenuItemChecked(MenuHandle menu, std::uint32_t command, bool checked) = 0;

    // Timers: the window hears WM_TIMER, with the timer's identifier in wParam, every
    // `milliseconds` until the timer is killed or the window destroyed. Setting a timer that
    // runs starts its period afresh. On the thread that created the window.
    virtual void setTimer(WindowHandle window, std::uintptr_t identifier,
                          std::uint32_t milliseconds) = 0;
    virtual void killTimer(WindowHandle window, std::uintptr_t identifier) = 0;

    // Posts `message` to `owner` each time the file is written, made, replaced or removed. The
    // watch is on the file's folder, so that an editor that saves through a new file and a
    // rename is seen; the folder's other files are not reported. Null when the system cannot
    // watch the folder. On the thread that runs the loop.
    virtual std::unique_ptr<FileWatch> watchFile(const std::filesystem::path& file,
                                                 WindowHandle owner, std::uint32_t message) = 0;

    // Resources: an icon drawn at size x size pixels; none when there is no such resource.
    virtual std::optional<gui::Bitmap<gui::Pixel>> loadIcon(int resource, int size) = 0;

    // Shell.
    virtual Point cursorPosition() const = 0;
    virtual std::vector<Rect> monitors() const = 0;
    virtual std::optional<Taskbar> taskbar() const = 0; // none when the shell cannot tell
    // The part of the monitor at a point, or of the nearest one, that windows may cover: the
    // monitor less the taskbar and any other bar docked to its edges. None without monitors.
    // By default the monitor less the taskbar, where the desktop knows of no other bars.
    virtual std::optional<Rect> workArea(Point at) const;
    // Where a notification-area icon is on the screen, which may be in a flyout of hidden icons
    // apart from the taskbar; none when the notification area does not tell.
    virtual std::optional<Rect> trayIconRect(WindowHandle, std::uint32_t) const {
        return std::nullopt;
    }
    // The dots per inch of the monitor at a screen point, or of the nearest monitor; 96 at
    // 100 %. A window that is on a monitor when its value changes hears WM_DPICHANGED.
    virtual int monitorDpi(Point at) const = 0;

    // Tells the user of a failure where they see it without opening a terminal or the log: a
    // notification of the desktop, a balloon from the first icon shown, or, while no icon is
    // shown, a message box, which returns once the user has closed it. `text` may hold lines.
    virtual void tellUser(const std::string& title, const std::string& text) = 0;
    // Opens a text file in the desktop's editor for it. False, with the reason in `failure`,
    // when no editor could be started.
    virtual bool openInEditor(const std::filesystem::path& file, std::string& failure) = 0;

    // The user's session ends (log-off, shut-down, restart). The handler runs on the loop's
    // thread and finishes everything that may not be lost: the system may end the process as
    // soon as endSession returns. Backends call endSession when the system says so.
    void onSessionEnd(std::function<void()> handler) { sessionEnd_ = std::move(handler); }
    void endSession() const {
        if (sessionEnd_)
            sessionEnd_();
    }

private:
    std::function<void()> sessionEnd_;
};

// The monitor that holds a point, or else the one nearest to it; none when there is none.
std::optional<std::size_t> nearestMonitor(const std::vector<Rect>& monitors, Point at);

// The desktop the program talks to; installing null removes it. Throws std::logic_error when
// none is installed.
void installDesktop(Desktop* desktop);
Desktop& desktop();

// Dispatches messages until the quit message and returns its exit code.
int runMessageLoop();

} // namespace platform
