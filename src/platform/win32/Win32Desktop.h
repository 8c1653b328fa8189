#pragma once

#include "platform/Desktop.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
// clang-format on

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::win32 {

class Win32ShellWindow;
class Win32Tray;

// The Windows desktop: system windows whose procedure is the portable one, the message queue
// of the thread that runs the loop, the notification area, menus and the shell.
class Win32Desktop final : public Desktop {
public:
    Win32Desktop();
    ~Win32Desktop() override;

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
    int trayPictureSize(WindowHandle owner, std::uint32_t identifier) const override;

    MenuHandle loadMenu(int resource) override;
    void destroyMenu(MenuHandle menu) override;
    void trackPopupMenu(MenuHandle menu, Point at, WindowHandle owner,
                        std::uint32_t identifier) override;
    void setMenuItemChecked(MenuHandle menu, std::uint32_t command, bool checked) override;
    void setTimer(WindowHandle window, std::uintptr_t identifier,
                  std::uint32_t milliseconds) override;
    void killTimer(WindowHandle window, std::uintptr_t identifier) override;
    std::unique_ptr<FileWatch> watchFile(const std::filesystem::path& file, WindowHandle owner,
                                         std::uint32_t message) override;
    std::optional<gui::Bitmap<gui::Pixel>> loadIcon(int resource, int size) override;

    void tellUser(const std::string& title, const std::string& text) override;
    bool openInEditor(const std::filesystem::path& file, std::string& failure) override;

    Point cursorPosition() const override;
    std::vector<Rect> monitors() const override;
    std::optional<Taskbar> taskbar() const override;
    std::optional<Rect> workArea(Point at) const override;
    std::optional<Rect> trayIconRect(WindowHandle owner, std::uint32_t identifier) const override;
    int monitorDpi(Point at) const override;

private:
    static int askTrayPictureSize();
    void forgetTrayPictureSize();
    static LRESULT CALLBACK trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    DWORD thread_;
    std::mutex mutex_; // the class table
    std::map<std::string, WindowProcedure> procedures_;
    std::map<HWND, PAINTSTRUCT> painting_;
    std::vector<std::uint32_t> pixels_; // a frame in the layout the screen takes
    // The side of the notification area's pictures, 0 until asked again.
    mutable std::atomic<int> trayPictureSide_{0};
    std::unique_ptr<Win32Tray> tray_;
    std::unique_ptr<Win32ShellWindow> shell_; // goes first: it calls on the tray
};

} // namespace platform::win32
