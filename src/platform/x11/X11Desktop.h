#pragma once

#include "platform/Desktop.h"
#include "platform/x11/X11Pixels.h"

#include <X11/Xlib.h>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform::x11 {

class X11Tray;
class X11Menu;

// What the X11 desktop knows about one window. Message-only windows have no X window.
struct X11Window {
    WindowProcedure procedure = nullptr;
    std::uint32_t classStyle = 0;
    bool messageOnly = false;
    int identifier = 0;
    std::thread::id thread;
    LParam userData = 0;
    ::Window xid = 0;
    Rect bounds;
    bool visible = false;
    bool enabled = true;
    bool invalid = true;
    bool trackingLeave = false;
    bool destroying = false;
    unsigned lastButton = 0; // the last press, for double clicks
    Time lastPressTime = 0;
    Point lastPressAt;
};

// The X11 desktop: override-redirect windows for pop-ups, the freedesktop system tray for the
// icons, and X input turned into the shared window messages. Xlib is used on the thread that
// runs the message loop only; other threads post, redraw and set tray pictures through a
// queue and a wake-up pipe.
class X11Desktop final : public Desktop {
public:
    // Null, with the reason, when no display can be opened.
    static std::unique_ptr<X11Desktop> open(std::string& reason);
    ~X11Desktop() override;

    bool getMessage(Message& message) override;
    LResult dispatchMessage(const Message& message) override;
    bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                     LParam lParam) override;
    LResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                        LParam lParam) override;
    void postQuitMessage(int exitCode) override;

    bool registerClass(const WindowClass& windowClass) override;
    WindowHandle createWindow(const WindowCreation& creation) override;
    bool destroyWindow(WindowHandle window) override;
    LResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) override;
    std::uint32_t lastError() const override;
    void setUserData(WindowHandle window, LParam data) override;
    LParam userData(WindowHandle window) const override;
    int controlIdentifier(WindowHandle window) const override;
    WindowHandle parent(WindowHandle window) const override;
    Point screenToClient(WindowHandle window, Point point) const override;
    void showWindow(WindowHandle window, bool visible) override;
    bool isVisible(WindowHandle window) const override;
    void enableWindow(WindowHandle window, bool enabled) override;
    void setFocus(WindowHandle window) override;
    void setTopmost(WindowHandle window) override;
    void moveWindow(WindowHandle window, const Rect& bounds, bool repaint) override;
    Rect windowRect(WindowHandle window) const override;
    Rect clientRect(WindowHandle window) const override;

    void invalidate(WindowHandle window) override;
    void update(WindowHandle window) override;
    void redraw(WindowHandle window) override;
    void beginPaint(WindowHandle window) override;
    void endPaint(WindowHandle window) override;
    void present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels, Point at) override;

    void setCapture(WindowHandle window) override;
    void releaseCapture() override;
    void trackMouseLeave(WindowHandle window) override;

    bool addTrayIcon(const TrayIconRequest& request) override;
    bool setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                            const gui::Bitmap<gui::Pixel>& picture) override;
    bool removeTrayIcon(WindowHandle owner, std::uint32_t identifier) override;

    MenuHandle loadMenu(int resource) override;
    void destroyMenu(MenuHandle menu) override;
    void trackPopupMenu(MenuHandle menu, Point at, WindowHandle owner) override;
    void setForegroundWindow(WindowHandle window) override;
    std::optional<gui::Bitmap<gui::Pixel>> loadIcon(int resource, int size) override;

    Point cursorPosition() const override;
    std::vector<Rect> monitors() const override;
    std::optional<Taskbar> taskbar() const override;

private:
    using Lock = std::unique_lock<std::mutex>;

    X11Desktop(Display* display, int wakeRead, int wakeWrite);
    bool nextMessage(Message& message);
    void waitForInput();
    void wake();
    void translate(const XEvent& event);
    void translateButton(const XButtonEvent& event, bool press);
    void translateCrossing(const XCrossingEvent& event);
    void postLocked(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
    X11Window* find(WindowHandle window) const;
    WindowHandle handleOf(::Window xid) const;
    WindowProcedure procedureFor(WindowHandle window);
    std::uint32_t keyState(unsigned state) const;
    Rect screen() const;

    Display* display_;
    int screen_;
    PixelFormat format_;
    int wakeRead_;
    int wakeWrite_;
    std::thread::id thread_; // the thread that runs the loop and makes every Xlib call
    mutable std::mutex mutex_;
    std::deque<Message> queue_;
    bool quitting_ = false;
    int exitCode_ = 0;
    std::map<std::string, WindowClass> classes_;
    mutable std::map<std::uintptr_t, X11Window> windows_;
    std::uintptr_t next_ = 0x10010;
    WindowHandle capture_ = nullptr;
    ImageBuffer image_;
    std::unique_ptr<X11Tray> tray_;
    std::unique_ptr<X11Menu> menu_;
    std::map<std::uintptr_t, int> menus_;
    std::uintptr_t nextMenu_ = 0x20010;
};

} // namespace platform::x11
