// Plays the Windows shell's part for the desktop tests under Wine, whose own Explorer cannot be
// restarted in a running session, and tells what a user would notice:
//   shell-probe forget <identifier>...  the notification area forgets those icons, as a
//                                       restarted taskbar has, without telling anyone; prints
//                                       how many it forgot;
//   shell-probe announce                broadcasts "TaskbarCreated", as a new taskbar does;
//   shell-probe preview <identifier>    makes a window of its own the foreground one, sends the
//                                       icon's hover notification, which Wine's tray never
//                                       sends, waits for the detail window and prints whether
//                                       the foreground window stayed;
//   shell-probe menu                    prints what owns PakVue's open menu and whether that
//                                       window is the foreground one;
//   shell-probe dialog <title>          finds a message box (a dialog of class #32770) of that
//                                       title, prints its texts and closes it with its OK.
// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

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

// PakVue's hidden shell window, which hears the shell's broadcasts.
HWND shellWindow() {
    return FindWindowW(L"PakVue", nullptr);
}

DWORD processOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

bool classHolds(HWND window, const wchar_t* part) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return std::wcsstr(name, part) != nullptr;
}

// The message-only window of PakVue that owns its icons.
HWND iconOwner(DWORD process) {
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        if (processOf(window) == process && classHolds(window, L"msgwindow"))
            return window;
    return nullptr;
}

struct DetailSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK findDetail(HWND window, LPARAM search) {
    auto* s = reinterpret_cast<DetailSearch*>(search);
    if (processOf(window) == s->process && IsWindowVisible(window) &&
        classHolds(window, L"sdiwindow")) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

bool detailShown(DWORD process) {
    DetailSearch search{process, nullptr};
    EnumWindows(&findDetail, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
}

void pumpFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(20);
    }
}

void notify(HWND owner, UINT identifier, UINT event) {
    PostMessageW(owner, identifier, MAKEWPARAM(1800, 1060), MAKELPARAM(event, identifier));
}

int preview(UINT identifier) {
    HWND owner = iconOwner(processOf(shellWindow()));
    if (owner == nullptr) {
        std::printf("no PakVue\n");
        return 1;
    }
    HWND mine = CreateWindowExW(0, L"STATIC", L"the user's work", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(mine);
    pumpFor(500);
    if (GetForegroundWindow() != mine) {
        std::printf("could not take the foreground\n");
        return 1;
    }
    notify(owner, identifier, NIN_POPUPOPEN);
    bool shown = false;
    for (int i = 0; i < 100 && !shown; ++i) {
        pumpFor(50);
        shown = detailShown(processOf(owner));
    }
    pumpFor(500); // an activation would have arrived by now
    const bool kept = GetForegroundWindow() == mine;
    notify(owner, identifier, NIN_POPUPCLOSE);
    DestroyWindow(mine);
    std::printf(shown ? (kept ? "foreground kept\n" : "foreground taken\n") : "no preview\n");
    return shown && kept ? 0 : 1;
}

int menu() {
    HWND shell = shellWindow();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (shell == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(shell, nullptr), &info) ||
        info.hwndMenuOwner == nullptr) {
        std::printf("no menu\n");
        return 1;
    }
    // Wine names the menu's own window where Windows names its owner.
    HWND owner = info.hwndMenuOwner;
    if (classHolds(owner, L"#32768"))
        owner = GetWindow(owner, GW_OWNER);
    const bool topLevel = GetAncestor(owner, GA_PARENT) == GetDesktopWindow();
    const bool foreground = GetForegroundWindow() == owner;
    std::printf("%s %s\n", topLevel ? "top-level" : "message-only",
                foreground ? "foreground" : "background");
    return topLevel && foreground ? 0 : 1;
}

// In UTF-8, whatever the console's code page.
BOOL CALLBACK printText(HWND control, LPARAM) {
    wchar_t text[1024] = {};
    char utf8[4096] = {};
    if (classHolds(control, L"Static") && GetWindowTextW(control, text, 1024) > 0 &&
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr) > 0)
        std::printf("%s\n", utf8);
    return TRUE;
}

int dialog(const char* title) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, title, -1, wide, 256);
    HWND box = FindWindowW(L"#32770", wide);
    if (box == nullptr) {
        std::printf("no dialog\n");
        return 1;
    }
    EnumChildWindows(box, &printText, 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "forget") == 0)
        return forget(argc - 2, argv + 2);
    if (argc == 2 && std::strcmp(argv[1], "announce") == 0)
        return announce();
    if (argc == 3 && std::strcmp(argv[1], "preview") == 0)
        return preview(static_cast<UINT>(std::strtoul(argv[2], nullptr, 10)));
    if (argc == 2 && std::strcmp(argv[1], "menu") == 0)
        return menu();
    if (argc == 3 && std::strcmp(argv[1], "dialog") == 0)
        return dialog(argv[2]);
    std::fprintf(stderr, "usage: shell-probe forget <identifier>... | announce | "
                         "preview <identifier> | menu | dialog <title>\n");
    return 2;
}
