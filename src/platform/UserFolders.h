#pragma once

#include <filesystem>

namespace platform {

// The folders of the user's where the program keeps its files, as the system's settings for
// this user name them; one the system does not name is empty.
struct UserFolders {
    // Where a configuration is looked for last, and where the example goes when there is none:
    // $XDG_CONFIG_HOME/pakvue (by default ~/.config/pakvue), or %APPDATA%\PakVue.
    std::filesystem::path configuration;
    // Where the log goes when the configuration's folder cannot be written: $XDG_STATE_HOME/pakvue
    // (by default ~/.local/state/pakvue), or %LOCALAPPDATA%\PakVue.
    std::filesystem::path state;
    // The folder earlier versions ran in on Linux, ~/.pakvue: looked in before the user's
    // configuration folder, so that a configuration kept there stays in use. None on Windows.
    std::filesystem::path earlier;
    // Where the entry that starts the program at login lives: the autostart folder,
    // $XDG_CONFIG_HOME/autostart; on Windows the Run key's path under HKEY_CURRENT_USER.
    std::filesystem::path loginStart;
};

// This user's folders, from the environment and the system's settings.
UserFolders userFolders();

} // namespace platform
