// Plays the Windows shell's part for the desktop tests under Wine, whose own Explorer cannot be
// restarted in a running session:
//   shell-probe forget <identifier>...  the notification area forgets those icons, as a
//                                       restarted taskbar has, without telling anyone;
//   shell-probe announce                broadcasts "TaskbarCreated", as a new taskbar does.
// Prints how many icons it made the notification area forget.
// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The owner of an icon is a message-only window of the program; the shell knows an icon by
// its owner and identifier, so every message-only window is asked.
int forget(int count, char** identifiers) {
    int forgotten = 0;
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        for (int i = 0; i < count; ++i) {
            NOTIFYICONDATAW data{};
            data.cbSize = sizeof data;
            data.hWnd = window;
            data.uID = static_cast<UINT>(std::strtoul(identifiers[i], nullptr, 10));
            forgotten += Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
        }
    std::printf("%d\n", forgotten);
    return forgotten > 0 ? 0 : 1;
}

int announce() {
    UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return SendNotifyMessageW(HWND_BROADCAST, message, 0, 0) != FALSE ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "forget") == 0)
        return forget(argc - 2, argv + 2);
    if (argc == 2 && std::strcmp(argv[1], "announce") == 0)
        return announce();
    std::fprintf(stderr, "usage: shell-probe forget <identifier>... | announce\n");
    return 2;
}
