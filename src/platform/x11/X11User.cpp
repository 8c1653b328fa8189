// What the X11 desktop tells the user and gives them to edit: notifications over the session
// bus, and files opened by the desktop's own choice of program.
#include "platform/sni/Notification.h"
#include "platform/x11/X11Desktop.h"

#include <cerrno>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace platform::x11 {

namespace {

// Starts xdg-open on the file without waiting for it, or for the editor it starts: a shell
// starts it in the background and ends at once, so that nothing is left to reap.
constexpr const char* launcher = "command -v xdg-open >/dev/null 2>&1 || exit 127\n"
                                 "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
constexpr int notFound = 127;

} // namespace

// Without a notification server, the terminal the program was started from is all there is.
void X11Desktop::tellUser(const std::string& title, const std::string& text) {
    if (!sni::showNotification(title, text))
        std::cerr << "pakvue: " << title << ": " << text << std::endl;
}

bool X11Desktop::openInEditor(const std::filesystem::path& file, std::string& failure) {
    std::string name = "sh";
    std::string option = "-c";
    std::string script = launcher;
    std::string path = file.string();
    char* arguments[] = {name.data(), option.data(), script.data(),
                         name.data(), path.data(),   nullptr};
    pid_t shell = 0;
    if (::posix_spawn(&shell, "/bin/sh", nullptr, nullptr, arguments, environ) != 0) {
        failure = "unable to start /bin/sh to open \"" + path + "\".";
        return false;
    }
    int status = 0;
    while (::waitpid(shell, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == notFound) {
        failure = "xdg-open was not found to open \"" + path + "\"; install xdg-utils.";
        return false;
    }
    return true;
}

} // namespace platform::x11
