#pragma once

#include "platform/headless/TrayArea.h"
#include "platform/software/SoftwareDesktop.h"

#include <atomic>
#include <condition_variable>
#include <map>

namespace platform::headless {

using software::MouseButton;

// What the program told the user.
struct Notice {
    std::string title;
    std::string text;
};

struct MenuRequest {
    WindowHandle owner = nullptr;
    Point at;
    std::vector<MenuItem> items;
};

// A desktop without a display, in the process: windows are records with geometry and the last
// pixels presented, the notification area is a table, and input is what a test injects. It
// turns that input into the same messages a real desktop sends and delivers them through the
// same message loop. Safe to use from several threads.
class HeadlessDesktop final : public software::SoftwareDesktop {
public:
    HeadlessDesktop();

    bool registerClass(const WindowClass& windowClass) override;
    WindowHandle createWindow(const WindowCreation& creation) override;
    LResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) override;
    void present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels, Point at) override;

    bool addTrayIcon(const TrayIconRequest& request) override;
    bool setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                            const gui::Bitmap<gui::Pixel>& picture) override;
    bool setTrayIconPictures(WindowHandle owner, std::uint32_t identifier,
                             const gui::Bitmap<gui::Pixel>& picture,
                             const gui::Bitmap<gui::Pixel>& small) override;
    bool removeTrayIcon(WindowHandle owner, std::uint32_t identifier) override;
    int trayPictureSize(WindowHandle owner, std::uint32_t identifier) const override;
    int traySmallPictureSize(WindowHandle, std::uint32_t) const override { return smallSide_; }

    std::unique_ptr<FileWatch> watchFile(const std::filesystem::path& file, WindowHandle owner,
                                         std::uint32_t message) override;

    void tellUser(const std::string& title, const std::string& text) override;
    // Records the file; a test may make the next attempt fail.
    bool openInEditor(const std::filesystem::path& file, std::string& failure) override;

    Point cursorPosition() const override;
    std::vector<Rect> monitors() const override;
    std::optional<Taskbar> taskbar() const override;
    std::optional<Rect> workArea(Point at) const override;
    std::optional<Rect> trayIconRect(WindowHandle owner, std::uint32_t identifier) const override;

    // What a user does. Each call queues the messages a desktop would send; pump() delivers
    // them. Mouse input goes to the window holding the capture, else the visible window under
    // the cursor; coordinates are on the screen.
    void moveMouse(Point to);
    void pressButton(MouseButton button);
    void releaseButton(MouseButton button);
    void doubleClick(MouseButton button);     // two clicks in quick succession
    void setModifierKeys(std::uint32_t keys); // MK_SHIFT and MK_CONTROL
    // The notification area's call-backs; each moves the cursor to the icon first, but for the
    // keyboard's menu key, which leaves it where it is. Throws std::invalid_argument for an
    // identifier with no icon.
    void hoverTrayIcon(std::uint32_t identifier);
    void leaveTrayIcon(std::uint32_t identifier);
    void clickTrayIcon(std::uint32_t identifier);
    void openTrayContextMenu(std::uint32_t identifier);
    void pressTrayMenuKey(std::uint32_t identifier);
    // The system reports a change of a file: each watch on it posts its message.
    void changeFile(const std::filesystem::path& file);
    // Chooses an item of the open menu. Throws std::logic_error when no menu is open or it
    // has no such item.
    void chooseMenuItem(std::uint32_t command);

    // The desktop's layout; defaults are one 1920 x 1080 monitor with a 40-pixel taskbar at
    // its bottom. No taskbar makes the shell's taskbar query fail.
    void setMonitors(std::vector<Rect> monitors);
    void setTaskbar(std::optional<Taskbar> taskbar);
    // The monitors' work areas, in their order, for bars besides the taskbar; by default, and
    // for monitors past the list's end, each monitor less the taskbar.
    void setWorkAreas(std::vector<Rect> areas);
    // Moves an icon, its anchor and its rectangle to another place, such as the flyout of
    // hidden icons. Throws std::invalid_argument for an identifier with no icon.
    void moveTrayIcon(std::uint32_t identifier, Point anchor);
    // The dots per inch of every monitor, 96 by default. A change sends WM_DPICHANGED to the
    // windows at once, on the calling thread; tray pictures follow at the small-icon size.
    void setDpi(int dpi) { changeDpi(dpi); }
    // A notification area that takes a smaller picture of this side beside the main one, as
    // StatusNotifierItem hosts do; 0, the default, for one picture only.
    void setTraySmallPictureSize(int side) { smallSide_ = side; }
    // Makes the next class registration or window creation fail with an error code.
    void failNextRegistration(std::uint32_t error);
    void failNextCreation(std::uint32_t error);
    // Makes the next openInEditor fail with that reason.
    void failNextEditor(std::string reason);

    // Dispatches queued messages and due paints until none is left. False when the quit
    // message is waiting (it stays queued for the message loop).
    bool pump();

    // What a user sees.
    std::vector<WindowHandle> windows() const;
    gui::Bitmap<gui::Pixel> presentedPixels(WindowHandle window) const;
    WindowDescription description(WindowHandle window) const;
    std::vector<TrayIconState> trayIcons() const;
    std::optional<TrayIconState> trayIcon(std::uint32_t identifier) const;
    std::optional<MenuRequest> menuRequest() const;
    std::vector<std::filesystem::path> watchedFiles() const;
    std::vector<Notice> notices() const;
    std::vector<std::filesystem::path> editedFiles() const;
    WindowHandle captureWindow() const;
    // How many times a window's messages of one number reached the default procedure.
    unsigned defaultTreatments(WindowHandle window, std::uint32_t message) const;

private:
    void waitForInputLocked(Lock& lock) override;
    void wakeLocked() override;
    void createNativeLocked(WindowHandle window, software::SoftwareWindow& record,
                            const WindowCreation& creation) override;
    void destroyNativeLocked(WindowHandle window, software::SoftwareWindow& record) override;
    void moveNativeLocked(WindowHandle window, software::SoftwareWindow& record) override;
    void windowsChangedLocked() override;
    bool pointerOverLocked(WindowHandle window) const override;
    void openMenu(const MenuResource& menu, Point at, WindowHandle owner) override;

    Rect screenLocked() const;
    WindowHandle mouseTargetLocked() const;
    std::optional<std::pair<WindowHandle, Point>> mouseInputLocked() const;
    void pressLocked(MouseButton button, software::ButtonAction action);
    void releaseLocked(MouseButton button);
    void postTrayEvent(std::uint32_t identifier, std::initializer_list<std::uint32_t> events,
                       bool pointer = true);
    void resizePresentedLocked(WindowHandle window, const Rect& bounds);

    std::condition_variable wake_;
    std::map<WindowHandle, gui::Bitmap<gui::Pixel>> presented_; // client-sized
    TrayArea tray_;
    std::atomic<int> smallSide_{0}; // read by animation threads
    std::optional<MenuRequest> menuRequest_;
    struct Watch {
        std::filesystem::path file;
        WindowHandle owner;
        std::uint32_t message;
    };
    class WatchHandle;
    std::map<int, Watch> watches_;
    int nextWatch_ = 0;
    std::vector<Notice> notices_;
    std::vector<std::filesystem::path> edited_;
    std::string editorFailure_;

    Point cursor_;
    std::vector<Rect> monitors_;
    std::vector<Rect> workAreas_;
    std::optional<Taskbar> taskbar_;
    std::uint32_t buttons_ = 0; // MK_ flags of the held buttons
    std::uint32_t keys_ = 0;
    WindowHandle hover_ = nullptr;
    std::uint32_t failRegistration_ = 0;
    std::uint32_t failCreation_ = 0;
    std::map<std::pair<WindowHandle, std::uint32_t>, unsigned> defaults_;
};

} // namespace platform::headless
