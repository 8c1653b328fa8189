// What the Windows desktop tells the user and gives them to edit: a balloon from the first icon,
// or a message box while no icon is shown; files opened in Notepad.
#include "platform/win32/Utf16.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Tray.h"

#include <string>

namespace platform::win32 {

namespace {

// Notepad of the system's own folder: a program of that name beside PakVue is not started.
std::wstring notepad() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? L"notepad.exe"
                                             : std::wstring(folder, length) + L"\\notepad.exe";
}

} // namespace

void Win32Desktop::tellUser(const std::string& title, const std::string& text) {
    if (!tray_->showBalloon(utf16Of(title), utf16Of(text)))
        MessageBoxW(nullptr, utf16Of(text).c_str(), utf16Of(title).c_str(),
                    MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

bool Win32Desktop::openInEditor(const std::filesystem::path& file, std::string& failure) {
    const std::wstring program = notepad();
    std::wstring command = L"\"" + program + L"\" \"" + file.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        failure = "unable to start Notepad on \"" + utf8Of(file.c_str()) + "\": Windows error " +
                  std::to_string(GetLastError()) + ".";
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace platform::win32
