#pragma once

#include "platform/Desktop.h"
#include "platform/Resources.h"
#include "platform/Scale.h"
#include "platform/software/WindowTable.h"

#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace platform::software {

enum class MouseButton { Left, Middle, Right };
enum class ButtonAction { Press, Release, DoubleClick };

// The window bookkeeping of a desktop that emulates the system's window manager: the message
// queue, the class registry and window records, painting and capture state, menus and the last
// error. A backend adds only what is its own: how its loop waits and wakes, its native windows,
// its input, tray, menus on screen and shell. Its input goes through the same few entry points
// (postButtonLocked, postMouseLeaveLocked), so every backend produces the same messages.
//
// Safe to use from several threads: one lock guards the records, and window procedures run on
// the thread that created their window, never under that lock. The hooks named ...Locked are
// called, and must be called, with the lock held.
class SoftwareDesktop : public Desktop {
public:
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
    void setTopmost(WindowHandle window) override;
    void moveWindow(WindowHandle window, const Rect& bounds, bool repaint) override;
    Rect windowRect(WindowHandle window) const override;
    Rect clientRect(WindowHandle window) const override;
    void describeWindow(WindowHandle window, const WindowDescription& description) override;

    void invalidate(WindowHandle window) override;
    void update(WindowHandle window) override;
    void redraw(WindowHandle window) override;
    void beginPaint(WindowHandle window) override;
    void endPaint(WindowHandle window) override;

    void setCapture(WindowHandle window) override;
    void releaseCapture() override;
    void trackMouseLeave(WindowHandle window) override;

    MenuHandle loadMenu(int resource) override;
    void destroyMenu(MenuHandle menu) override;
    void trackPopupMenu(MenuHandle menu, Point at, WindowHandle owner,
                        std::uint32_t identifier) override;
    void setMenuItemChecked(MenuHandle menu, std::uint32_t command, bool checked) override;
    void setTimer(WindowHandle window, std::uintptr_t identifier,
                  std::uint32_t milliseconds) override;
    void killTimer(WindowHandle window, std::uintptr_t identifier) override;
    std::optional<gui::Bitmap<gui::Pixel>> loadIcon(int resource, int size) override;

    // One value for every monitor: these desktops scale as a whole.
    int monitorDpi(Point at) const override;

protected:
    using Lock = std::unique_lock<std::mutex>;
    using Clock = std::chrono::steady_clock;

    SoftwareDesktop() = default;

    // How the backend's loop waits. collectInput runs without the lock before each look at the
    // queue; waitForInputLocked sleeps until wakeLocked is called or input arrives, and may let
    // go of the lock while it sleeps.
    virtual void collectInput() {}
    virtual void waitForInputLocked(Lock& lock) = 0;
    virtual void wakeLocked() = 0;

    // The backend's own side of a window, kept in step with its record.
    virtual void createNativeLocked(WindowHandle, SoftwareWindow&, const WindowCreation&) {}
    virtual void destroyNativeLocked(WindowHandle, SoftwareWindow&) {}
    virtual void showNativeLocked(WindowHandle, SoftwareWindow&) {}
    virtual void raiseNativeLocked(WindowHandle, SoftwareWindow&) {}
    virtual void moveNativeLocked(WindowHandle, SoftwareWindow&) {}
    virtual void describeNativeLocked(WindowHandle, SoftwareWindow&) {}
    virtual void captureNativeLocked(WindowHandle, SoftwareWindow&) {}
    virtual void releaseNativeCaptureLocked() {}
    // Called after anything that may change which window is under the mouse.
    virtual void windowsChangedLocked() {}
    // Whether the mouse is over the window now, so that leaving it can still be reported.
    virtual bool pointerOverLocked(WindowHandle window) const = 0;
    // Shows a menu; the chosen item is posted to the owner as WM_COMMAND. The menu holds the
    // pointer while it is open, so a click elsewhere closes it whatever window has the focus.
    virtual void openMenu(const MenuResource& menu, Point at, WindowHandle owner) = 0;

    // For the backend: the lock, the records and the queue.
    Lock lock() const { return Lock(mutex_); }
    SoftwareWindow* findLocked(WindowHandle window) const; // sets the last error when none
    const WindowTable& windowsLocked() const { return table_; }
    WindowTable& windowsLocked() { return table_; }
    WindowHandle captureLocked() const { return capture_; }
    void postLocked(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
    // The next message due, if any; the quit message comes only after the queue is empty.
    bool nextMessageLocked(Message& message);
    bool quitWaitingLocked() const { return queue_.empty() && quitting_; }
    // When the next timer is due, for the backend's wait; none while no timer runs.
    std::optional<Clock::time_point> nextTimerLocked() const;

    // Input from the backend, in the window's client coordinates.
    void postButtonLocked(WindowHandle window, MouseButton button, ButtonAction action,
                          std::uint32_t keys, Point at);
    void postMouseLeaveLocked(WindowHandle window);

    // The desktop's dots per inch changed: every window that is not message-only hears
    // WM_DPICHANGED with its rectangle grown or shrunk from its top-left corner. Call without
    // the lock, on the thread that created the windows.
    void changeDpi(int dpi);

    // Records a failure as the calling thread's last error and returns `result`.
    template <typename T>
    static T fail(std::uint32_t error, T result) {
        setLastError(error);
        return result;
    }
    static void setLastError(std::uint32_t error);

private:
    WindowProcedure procedureFor(WindowHandle window);
    static void checkThread(const SoftwareWindow& window);

    mutable std::mutex mutex_;
    WindowTable table_;
    std::deque<Message> queue_;
    bool quitting_ = false;
    int exitCode_ = 0;
    WindowHandle capture_ = nullptr;
    struct Timer {
        WindowHandle window;
        std::uintptr_t identifier;
        Clock::duration period;
        Clock::time_point due;
    };
    bool dueTimerLocked(Message& message);

    struct LoadedMenu {
        int resource;
        std::set<std::uint32_t> checked; // the commands whose items show a check mark
    };
    std::optional<MenuResource> shownMenuLocked(MenuHandle menu, WindowHandle owner) const;

    std::map<std::uintptr_t, LoadedMenu> menus_; // by menu handle
    std::vector<Timer> timers_;
    std::uintptr_t nextMenu_ = 0x20010;
    int dpi_ = standardDpi;
};

// The mouse-key flag of a button: MK_LBUTTON, MK_MBUTTON or MK_RBUTTON.
std::uint32_t buttonFlag(MouseButton button);

} // namespace platform::software
