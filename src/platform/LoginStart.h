#pragma once

#include <filesystem>
#include <string>

// The entry that starts the program when the user logs in: an autostart desktop entry,
// pakvue.desktop, on Linux, and the value PakVue of the Run key on Windows. Each lives in a
// place that UserFolders::loginStart names, or that a test gives.
namespace platform {

// What the entry runs: this program on this configuration, both as full paths.
struct LoginCommand {
    std::filesystem::path program;
    std::filesystem::path configuration;
};

// Whether the entry in `place` is there and runs exactly `command`: an entry of a program that
// has moved since, or of another configuration, does not.
bool startsAtLogin(const std::filesystem::path& place, const LoginCommand& command);

// Writes the entry, replacing one that runs something else. Throws std::runtime_error saying
// why when it cannot.
void startAtLogin(const std::filesystem::path& place, const LoginCommand& command);

// Removes the entry, when there is one. Throws std::runtime_error saying why when it cannot.
void stopStartingAtLogin(const std::filesystem::path& place);

// The entry's command line as it is written: on Linux the desktop entry's Exec value, on Windows
// the Run value. Throws std::runtime_error for a path the entry cannot hold.
std::string loginCommandLine(const LoginCommand& command);

} // namespace platform
