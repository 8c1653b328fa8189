#pragma once

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
// clang-format on

#include <functional>

namespace platform::win32 {

// A hidden top-level window that hears what the shell says to programs: message-only windows
// never receive broadcasts. It hears Explorer's "TaskbarCreated" (sent when the taskbar comes
// back after a restart, and when the primary display's DPI changes), the session's end and a
// polite close (taskkill without /f), and never shows itself.
class Win32ShellWindow {
public:
    struct Handlers {
        std::function<void()> taskbarCreated;
        // The session ends: the system may end the process as soon as this returns.
        std::function<void()> sessionEnding;
        std::function<void()> closeRequested;
        // The displays, their scale or the system's settings changed.
        std::function<void()> displayChanged;
    };

    explicit Win32ShellWindow(Handlers handlers);
    ~Win32ShellWindow();
    Win32ShellWindow(const Win32ShellWindow&) = delete;
    Win32ShellWindow& operator=(const Win32ShellWindow&) = delete;

    // Null when the window could not be made: the program then runs without these messages.
    HWND handle() const { return window_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    Handlers handlers_;
    UINT taskbarCreated_;
    HWND window_ = nullptr;
};

} // namespace platform::win32
