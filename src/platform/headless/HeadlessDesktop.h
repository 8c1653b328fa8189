#pragma once

#include "platform/Desktop.h"
#include "platform/Resources.h"
#include "platform/headless/TrayArea.h"
#include "platform/headless/WindowTable.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

namespace platform::headless {

enum class MouseButton { Left, Middle, Right };

struct MenuRequest {
    WindowHandle owner = nullptr;
    Point at;
    std::vector<MenuItem> items;
};

// A desktop without a display, in the process: windows are records with geometry and the last
// pixels presented, the notification area is a table, and input is what a test injects. It
// turns that input into the same messages a real desktop sends and delivers them through the
// same message loop. Safe to use from several threads; window procedures run on the thread
// that created their window, never under the desktop's lock.
class HeadlessDesktop final : public Desktop {
public:
    HeadlessDesktop();

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

    // What a user does. Each call queues the messages a desktop would send; pump() delivers
    // them. Mouse input goes to the window holding the capture, else the visible window under
    // the cursor; coordinates are on the screen.
    void moveMouse(Point to);
    void pressButton(MouseButton button);
    void releaseButton(MouseButton button);
    void doubleClick(MouseButton button);     // two clicks in quick succession
    void setModifierKeys(std::uint32_t keys); // MK_SHIFT and MK_CONTROL
    // The notification area's call-backs; each moves the cursor to the icon first. Throws
    // std::invalid_argument for an identifier with no icon.
    void hoverTrayIcon(std::uint32_t identifier);
    void leaveTrayIcon(std::uint32_t identifier);
    void clickTrayIcon(std::uint32_t identifier);
    void openTrayContextMenu(std::uint32_t identifier);
    // Chooses an item of the open menu. Throws std::logic_error when no menu is open or it
    // has no such item.
    void chooseMenuItem(std::uint32_t command);
    void dismissMenu();

    // The desktop's layout; defaults are one 1920 x 1080 monitor with a 40-pixel taskbar at
    // its bottom. No taskbar makes the shell's taskbar query fail.
    void setCursor(Point to);
    void setMonitors(std::vector<Rect> monitors);
    void setTaskbar(std::optional<Taskbar> taskbar);
    // Makes the next class registration or window creation fail with an error code.
    void failNextRegistration(std::uint32_t error);
    void failNextCreation(std::uint32_t error);

    // Dispatches queued messages and due paints until none is left. False when the quit
    // message is waiting (it stays queued for the message loop).
    bool pump();

    // What a user sees.
    std::vector<WindowHandle> windows() const;
    gui::Bitmap<gui::Pixel> presentedPixels(WindowHandle window) const;
    std::vector<TrayIconState> trayIcons() const;
    std::optional<TrayIconState> trayIcon(std::uint32_t identifier) const;
    std::optional<MenuRequest> menuRequest() const;
    WindowHandle captureWindow() const;
    WindowHandle foregroundWindow() const;
    // How many times a window's messages of one number reached the default procedure.
    unsigned defaultTreatments(WindowHandle window, std::uint32_t message) const;

private:
    using Lock = std::unique_lock<std::mutex>;

    bool nextMessage(Message& message);
    void postLocked(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
    HeadlessWindow* findLocked(WindowHandle window) const;
    WindowProcedure procedureFor(WindowHandle window);
    void checkThread(const HeadlessWindow& window) const;
    Rect screenLocked() const;
    WindowHandle mouseTargetLocked() const;
    void refreshHoverLocked();
    void postMouseLocked(std::uint32_t message, std::uint32_t buttons);
    void postTrayEvent(std::uint32_t identifier, std::initializer_list<std::uint32_t> events);
    void pressLocked(MouseButton button, bool doubleClick);
    void releaseLocked(MouseButton button);
    void resizePresented(HeadlessWindow& window);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    WindowTable table_;
    std::deque<Message> queue_;
    bool quitting_ = false;
    int exitCode_ = 0;

    TrayArea tray_;
    std::map<std::uintptr_t, const MenuResource*> menus_;
    std::uintptr_t nextMenu_ = 0x20010;
    std::optional<MenuRequest> menuRequest_;

    Point cursor_;
    std::vector<Rect> monitors_;
    std::optional<Taskbar> taskbar_;
    std::uint32_t buttons_ = 0; // MK_ flags of the held buttons
    std::uint32_t keys_ = 0;
    WindowHandle hover_ = nullptr;
    WindowHandle capture_ = nullptr;
    WindowHandle foreground_ = nullptr;
    WindowHandle focus_ = nullptr;
    std::uint32_t failRegistration_ = 0;
    std::uint32_t failCreation_ = 0;
    std::map<std::pair<WindowHandle, std::uint32_t>, unsigned> defaults_;
};

} // namespace platform::headless
