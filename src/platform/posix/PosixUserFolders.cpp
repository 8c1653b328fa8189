// The user's folders on Linux, where the XDG base directory rules place them.
#include "platform/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

// The home folder: $HOME, else the one the user database gives; empty when neither says.
std::filesystem::path home() {
    if (const char* value = std::getenv("HOME"); value != nullptr && value[0] == '/')
        return value;
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return {};
}

// The base folder an XDG variable names, or `fallback` under the home folder. A relative
// value is ignored, as the XDG rules say.
std::filesystem::path base(const char* variable, const std::filesystem::path& home,
                           const char* fallback) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/')
        return value;
    return home.empty() ? home : home / fallback;
}

} // namespace

UserFolders userFolders() {
    const std::filesystem::path user = home();
    const std::filesystem::path config = base("XDG_CONFIG_HOME", user, ".config");
    const std::filesystem::path state = base("XDG_STATE_HOME", user, ".local/state");
    UserFolders folders;
    if (!config.empty()) {
        folders.configuration = config / "pakvue";
        folders.loginStart = config / "autostart";
    }
    if (!state.empty())
        folders.state = state / "pakvue";
    if (!user.empty())
        folders.earlier = user / ".pakvue";
    return folders;
}

} // namespace platform
