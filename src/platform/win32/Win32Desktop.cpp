#include "platform/win32/Win32Desktop.h"

#include "platform/Resources.h"
#include "platform/win32/Win32FileWatch.h"
#include "platform/win32/Win32Pixels.h"
#include "platform/win32/Win32ShellWindow.h"
#include "platform/win32/Win32Tray.h"
#include "util/log/AppLog.h"

// windows.h comes before the other system headers.
// clang-format off
#include <shellapi.h>
// clang-format on

#include <cstddef>

namespace platform::win32 {

namespace {

HWND native(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
WindowHandle portable(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}
HMENU native(MenuHandle menu) {
    return reinterpret_cast<HMENU>(menu);
}

// The portable procedure lives in the window's own extra bytes, stored as the window is made.
constexpr int procedureSlot = 0;

// Messages reach the portable procedure as the system sent them: WM_DPICHANGED's RECT is read
// there as a Rect.
static_assert(sizeof(RECT) == sizeof(Rect) && offsetof(RECT, left) == offsetof(Rect, left) &&
              offsetof(RECT, top) == offsetof(Rect, top) &&
              offsetof(RECT, right) == offsetof(Rect, right) &&
              offsetof(RECT, bottom) == offsetof(Rect, bottom));

// The scaling functions of newer systems, looked up once; null where the system lacks them
// (before Windows 10 1607 for the first two, before 8.1 for the last).
struct DpiFunctions {
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    int(WINAPI* metricsForDpi)(int, UINT) = nullptr;
    HRESULT(WINAPI* dpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
};

template <typename Function>
void lookUp(Function& function, HMODULE module, const char* name) {
    if (module != nullptr) // through void (*)(), which any function pointer may be cast to
        function =
            reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const DpiFunctions& dpiFunctions() {
    static const DpiFunctions functions = [] {
        DpiFunctions found;
        HMODULE user = GetModuleHandleA("user32.dll");
        lookUp(found.dpiForWindow, user, "GetDpiForWindow");
        lookUp(found.metricsForDpi, user, "GetSystemMetricsForDpi");
        HMODULE shell = LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        lookUp(found.dpiForMonitor, shell, "GetDpiForMonitor");
        return found;
    }();
    return functions;
}

// The dots per inch the system started with, which every monitor has on older systems.
int systemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

BOOL CALLBACK addMonitor(HMONITOR, HDC, LPRECT area, LPARAM list) {
    reinterpret_cast<std::vector<Rect>*>(list)->push_back(
        {area->left, area->top, area->right, area->bottom});
    return TRUE;
}

} // namespace

Win32Desktop::Win32Desktop()
    : thread_(GetCurrentThreadId()), tray_(std::make_unique<Win32Tray>()),
      shell_(std::make_unique<Win32ShellWindow>(
          Win32ShellWindow::Handlers{[this] {
                                         forgetTrayPictureSize();
                                         tray_->restore();
                                     },
                                     [this] { endSession(); }, [this] { postQuitMessage(0); },
                                     [this] { forgetTrayPictureSize(); }})) {}

Win32Desktop::~Win32Desktop() = default;

LRESULT CALLBACK Win32Desktop::trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, procedureSlot,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto procedure = reinterpret_cast<WindowProcedure>(GetWindowLongPtrA(window, procedureSlot));
    if (procedure == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    // Nothing may be thrown through the system's frames that called this procedure.
    try {
        return procedure(portable(window), message, wParam, lParam);
    } catch (const std::exception& e) {
        util::log::logMessage(util::log::LogLevel::Error, e.what());
        return 0;
    }
}

// Message loop

bool Win32Desktop::getMessage(Message& message) {
    MSG msg{};
    BOOL result = GetMessageA(&msg, nullptr, 0, 0);
    message = {portable(msg.hwnd), msg.message, msg.wParam, msg.lParam};
    return result > 0; // an error ends the loop as the quit message does
}

LResult Win32Desktop::dispatchMessage(const Message& message) {
    MSG msg{};
    msg.hwnd = native(message.window);
    msg.message = message.message;
    msg.wParam = message.wParam;
    msg.lParam = message.lParam;
    TranslateMessage(&msg);
    return DispatchMessageA(&msg);
}

bool Win32Desktop::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                               LParam lParam) {
    return PostMessageA(native(window), message, wParam, lParam) != 0;
}

LResult Win32Desktop::sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                  LParam lParam) {
    return SendMessageA(native(window), message, wParam, lParam);
}

void Win32Desktop::postQuitMessage(int exitCode) {
    if (GetCurrentThreadId() == thread_)
        PostQuitMessage(exitCode);
    else
        PostThreadMessageA(thread_, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

// Windows

bool Win32Desktop::registerClass(const WindowClass& windowClass) {
    WNDCLASSEXA data{};
    data.cbSize = sizeof data;
    data.style = windowClass.style;
    data.lpfnWndProc = &trampoline;
    data.cbWndExtra = sizeof(LONG_PTR);
    data.hInstance = GetModuleHandleA(nullptr);
    data.hCursor = windowClass.cursor != 0
                       ? LoadCursorA(nullptr, MAKEINTRESOURCEA(windowClass.cursor))
                       : nullptr;
    data.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(windowClass.background));
    data.lpszClassName = windowClass.name.c_str();
    if (windowClass.procedure == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (RegisterClassExA(&data) == 0)
        return false;
    std::lock_guard lock(mutex_);
    procedures_[windowClass.name] = windowClass.procedure;
    return true;
}

WindowHandle Win32Desktop::createWindow(const WindowCreation& creation) {
    WindowProcedure procedure = nullptr;
    {
        std::lock_guard lock(mutex_);
        auto found = procedures_.find(creation.className);
        if (found == procedures_.end()) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        procedure = found->second;
    }
    HWND window = CreateWindowExA(
        creation.extendedStyle, creation.className.c_str(),
        creation.title.empty() ? nullptr : creation.title.c_str(), creation.style, creation.x,
        creation.y, creation.width, creation.height, creation.messageOnly ? HWND_MESSAGE : nullptr,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(creation.identifier)),
        GetModuleHandleA(nullptr), reinterpret_cast<void*>(procedure));
    return portable(window);
}

bool Win32Desktop::destroyWindow(WindowHandle window) {
    return DestroyWindow(native(window)) != 0;
}

LResult Win32Desktop::defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                                       LParam lParam) {
    return DefWindowProcA(native(window), message, wParam, lParam);
}

std::uint32_t Win32Desktop::lastError() const {
    return GetLastError();
}

void Win32Desktop::setUserData(WindowHandle window, LParam data) {
    SetWindowLongPtrA(native(window), GWLP_USERDATA, data);
}

LParam Win32Desktop::userData(WindowHandle window) const {
    return GetWindowLongPtrA(native(window), GWLP_USERDATA);
}

int Win32Desktop::controlIdentifier(WindowHandle window) const {
    return GetDlgCtrlID(native(window));
}

WindowHandle Win32Desktop::parent(WindowHandle window) const {
    return portable(GetParent(native(window)));
}

Point Win32Desktop::screenToClient(WindowHandle window, Point point) const {
    POINT p{point.x, point.y};
    if (window != nullptr)
        ScreenToClient(native(window), &p);
    return {p.x, p.y};
}

// Showing never activates: a pop-up that appears while the user works elsewhere must not take
// the keyboard from them. A click on a window activates it as usual.
void Win32Desktop::showWindow(WindowHandle window, bool visible) {
    ShowWindow(native(window), visible ? SW_SHOWNA : SW_HIDE);
}

bool Win32Desktop::isVisible(WindowHandle window) const {
    return IsWindowVisible(native(window)) != 0;
}

void Win32Desktop::setTopmost(WindowHandle window) {
    SetWindowPos(native(window), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Win32Desktop::moveWindow(WindowHandle window, const Rect& bounds, bool repaint) {
    MoveWindow(native(window), bounds.left, bounds.top, bounds.width(), bounds.height(),
               repaint ? TRUE : FALSE);
}

Rect Win32Desktop::windowRect(WindowHandle window) const {
    RECT r{};
    GetWindowRect(native(window), &r);
    return {r.left, r.top, r.right, r.bottom};
}

Rect Win32Desktop::clientRect(WindowHandle window) const {
    RECT r{};
    GetClientRect(native(window), &r);
    return {r.left, r.top, r.right, r.bottom};
}

// Painting

void Win32Desktop::invalidate(WindowHandle window) {
    InvalidateRect(native(window), nullptr, TRUE);
}

void Win32Desktop::update(WindowHandle window) {
    UpdateWindow(native(window));
}

void Win32Desktop::redraw(WindowHandle window) {
    if (GetWindowThreadProcessId(native(window), nullptr) == GetCurrentThreadId())
        RedrawWindow(native(window), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    else
        InvalidateRect(native(window), nullptr, FALSE); // never wait for the window's thread
}

void Win32Desktop::beginPaint(WindowHandle window) {
    PAINTSTRUCT paint{};
    BeginPaint(native(window), &paint);
    painting_[native(window)] = paint;
}

void Win32Desktop::endPaint(WindowHandle window) {
    auto found = painting_.find(native(window));
    if (found == painting_.end())
        return;
    EndPaint(native(window), &found->second);
    painting_.erase(found);
}

void Win32Desktop::present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels, Point at) {
    int width = pixels.width();
    int height = pixels.height();
    if (width <= 0 || height <= 0)
        return;
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    packPixels(pixels, pixels_.data());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top-down, as the bitmap holds them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(native(window));
    SetDIBitsToDevice(dc, at.x, at.y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0,
                      0, static_cast<UINT>(height), pixels_.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(native(window), dc);
}

// Mouse

void Win32Desktop::setCapture(WindowHandle window) {
    SetCapture(native(window));
}

void Win32Desktop::releaseCapture() {
    ReleaseCapture();
}

void Win32Desktop::trackMouseLeave(WindowHandle window) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = native(window);
    track.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&track);
}

// Notification area

bool Win32Desktop::addTrayIcon(const TrayIconRequest& request) {
    return tray_->add(request);
}

bool Win32Desktop::setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                                      const gui::Bitmap<gui::Pixel>& picture) {
    return tray_->setPicture(native(owner), identifier, picture);
}

bool Win32Desktop::removeTrayIcon(WindowHandle owner, std::uint32_t identifier) {
    return tray_->remove(native(owner), identifier);
}

// The notification area shows small icons at the taskbar's dots per inch. Asked once, and
// again after the shell says the display or its settings changed: every icon's every frame
// asks for it.
int Win32Desktop::trayPictureSize(WindowHandle, std::uint32_t) const {
    int side = trayPictureSide_.load();
    if (side == 0) {
        side = askTrayPictureSize();
        trayPictureSide_.store(side);
    }
    return side;
}

void Win32Desktop::forgetTrayPictureSize() {
    trayPictureSide_.store(0);
}

int Win32Desktop::askTrayPictureSize() {
    const DpiFunctions& functions = dpiFunctions();
    if (functions.metricsForDpi == nullptr || functions.dpiForWindow == nullptr)
        return GetSystemMetrics(SM_CXSMICON);
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    UINT dpi = taskbar != nullptr ? functions.dpiForWindow(taskbar) : 0;
    return functions.metricsForDpi(SM_CXSMICON, dpi != 0 ? dpi : static_cast<UINT>(systemDpi()));
}

// Menus and resources: built from the same data as the other desktops' own.

MenuHandle Win32Desktop::loadMenu(int resource) {
    const MenuResource* data = findMenuResource(resource);
    if (data == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    for (const MenuItem& item : data->items)
        if (item.kind == MenuItemKind::Separator)
            AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(popup, MF_STRING, item.command, item.text.c_str());
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), data->popup.c_str());
    return reinterpret_cast<MenuHandle>(bar);
}

void Win32Desktop::destroyMenu(MenuHandle menu) {
    if (menu != nullptr)
        DestroyMenu(native(menu));
}

// A notification icon's menu closes on a click elsewhere only while its window is the
// foreground window, which a message-only window never is: the hidden top-level shell window
// shows it. A benign message afterwards switches tasks, without which the menu would close at
// once the next time it opens. The command goes to the icon's owner, as the system would have
// sent it to the shell window. The icon gets the keyboard focus back when the menu was
// dismissed without the user going to another window.
void Win32Desktop::trackPopupMenu(MenuHandle menu, Point at, WindowHandle owner,
                                  std::uint32_t identifier) {
    HMENU popup = GetSubMenu(native(menu), 0);
    if (popup == nullptr)
        return;
    // The owner sets its check marks first: the system tells only the window that shows it.
    SendMessageW(native(owner), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    HWND host = shell_->handle() != nullptr ? shell_->handle() : native(owner);
    SetForegroundWindow(host);
    UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON |
                 (GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
    UINT command = static_cast<UINT>(TrackPopupMenuEx(popup, flags, at.x, at.y, host, nullptr));
    PostMessageW(host, WM_NULL, 0, 0);
    if (command != 0)
        PostMessageW(native(owner), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    else if (GetForegroundWindow() == host)
        tray_->returnFocus(native(owner), identifier);
}

void Win32Desktop::setMenuItemChecked(MenuHandle menu, std::uint32_t command, bool checked) {
    if (HMENU popup = GetSubMenu(native(menu), 0))
        CheckMenuItem(popup, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32Desktop::setTimer(WindowHandle window, std::uintptr_t identifier,
                            std::uint32_t milliseconds) {
    SetTimer(native(window), identifier, milliseconds, nullptr);
}

void Win32Desktop::killTimer(WindowHandle window, std::uintptr_t identifier) {
    KillTimer(native(window), identifier);
}

std::unique_ptr<FileWatch> Win32Desktop::watchFile(const std::filesystem::path& file,
                                                   WindowHandle owner, std::uint32_t message) {
    return Win32FileWatch::open(file, native(owner), message);
}

std::optional<gui::Bitmap<gui::Pixel>> Win32Desktop::loadIcon(int resource, int size) {
    std::optional<gui::Bitmap<gui::Pixel>> icon = builtInIcon(resource, size);
    if (!icon)
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return icon;
}

// Shell

Point Win32Desktop::cursorPosition() const {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

std::vector<Rect> Win32Desktop::monitors() const {
    std::vector<Rect> list;
    EnumDisplayMonitors(nullptr, nullptr, &addMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

std::optional<Taskbar> Win32Desktop::taskbar() const {
    APPBARDATA data{};
    data.cbSize = sizeof data;
    if (SHAppBarMessage(ABM_GETTASKBARPOS, &data) != 1)
        return std::nullopt;
    return Taskbar{{data.rc.left, data.rc.top, data.rc.right, data.rc.bottom}, data.uEdge};
}

// What the shell leaves free of the taskbar and every other bar docked on that monitor.
std::optional<Rect> Win32Desktop::workArea(Point at) const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromPoint({at.x, at.y}, MONITOR_DEFAULTTONEAREST), &info))
        return std::nullopt;
    return Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

std::optional<Rect> Win32Desktop::trayIconRect(WindowHandle owner, std::uint32_t identifier) const {
    NOTIFYICONIDENTIFIER icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = native(owner);
    icon.uID = identifier;
    RECT r{};
    if (Shell_NotifyIconGetRect(&icon, &r) != S_OK || r.right <= r.left || r.bottom <= r.top)
        return std::nullopt;
    return Rect{r.left, r.top, r.right, r.bottom};
}

int Win32Desktop::monitorDpi(Point at) const {
    constexpr int effectiveDpi = 0; // MDT_EFFECTIVE_DPI: the scale the user chose
    HMONITOR monitor = MonitorFromPoint({at.x, at.y}, MONITOR_DEFAULTTONEAREST);
    UINT x = 0, y = 0;
    if (const auto dpiForMonitor = dpiFunctions().dpiForMonitor;
        dpiForMonitor != nullptr && dpiForMonitor(monitor, effectiveDpi, &x, &y) == S_OK)
        return static_cast<int>(x);
    return systemDpi();
}

} // namespace platform::win32
