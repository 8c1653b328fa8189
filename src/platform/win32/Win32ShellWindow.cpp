#include "platform/win32/Win32ShellWindow.h"

#include "util/log/AppLog.h"

namespace platform::win32 {

namespace {

constexpr const wchar_t* className = L"PakVue";

void call(const std::function<void()>& handler) {
    if (handler)
        handler();
}

} // namespace

Win32ShellWindow::Win32ShellWindow(Handlers handlers)
    : handlers_(std::move(handlers)), taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    WNDCLASSEXW data{};
    data.cbSize = sizeof data;
    data.lpfnWndProc = &procedure;
    data.hInstance = GetModuleHandleW(nullptr);
    data.lpszClassName = className;
    RegisterClassExW(&data); // a second desktop in the process finds the class registered
    // Titled after the program, so that tools listing windows (taskkill among them) name it.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, className, L"PakVue", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
    // Explorer runs unelevated: an elevated PakVue would never hear it announce a new taskbar,
    // as messages from lower integrity levels are filtered out unless a window lets them in.
    if (window_ != nullptr && taskbarCreated_ != 0)
        ChangeWindowMessageFilterEx(window_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
}

Win32ShellWindow::~Win32ShellWindow() {
    if (window_ != nullptr)
        DestroyWindow(window_);
}

LRESULT CALLBACK Win32ShellWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(
                              reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Win32ShellWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ != window)
        return DefWindowProcW(window, message, wParam, lParam);
    // Nothing may be thrown through the system's frames that called this procedure.
    try {
        return self->handle(message, wParam, lParam);
    } catch (const std::exception& e) {
        util::log::logMessage(util::log::LogLevel::Error, e.what());
        return 0;
    }
}

LRESULT Win32ShellWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        call(handlers_.taskbarCreated);
        return 0;
    }
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE; // nothing unsaved: the session may end
    case WM_ENDSESSION:
        if (wParam != FALSE)
            call(handlers_.sessionEnding);
        return 0;
    case WM_CLOSE:
        call(handlers_.closeRequested);
        return 0; // the program ends through its own shutdown, not by losing this window
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
        call(handlers_.displayChanged);
        return DefWindowProcW(window_, message, wParam, lParam);
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

} // namespace platform::win32
