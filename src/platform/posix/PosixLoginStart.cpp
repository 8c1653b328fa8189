// The login entry on Linux: $XDG_CONFIG_HOME/autostart/pakvue.desktop, which desktops that
// follow freedesktop's autostart convention start at login.
#include "platform/Files.h"
#include "platform/LoginStart.h"

#include <cerrno>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* entryName = "pakvue.desktop";

// One argument of Exec, in quotes: inside them a backslash escapes '"', '`', '$' and itself;
// a field code's '%' is doubled. Control characters have no spelling there.
std::string quotedArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            throw std::runtime_error("PakVue cannot start at login from \"" + argument +
                                     "\": the path holds a control character.");
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

// Exec is a string value, in which a backslash is itself escaped.
std::string stringValue(const std::string& text) {
    std::string value;
    for (const char c : text) {
        if (c == '\\')
            value += '\\';
        value += c;
    }
    return value;
}

std::string entryText(const LoginCommand& command) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=PakVue\n"
           "Comment=Live graphs of processor, memory, disk and network use in the notification "
           "area\n"
           "Icon=pakvue\n"
           "Exec=" +
           stringValue(loginCommandLine(command)) +
           "\n"
           "Terminal=false\n";
}

} // namespace

std::string loginCommandLine(const LoginCommand& command) {
    return quotedArgument(command.program.string()) + " --config " +
           quotedArgument(command.configuration.string());
}

// The entry runs the command when its Exec line is the one written for it, and no line hides
// it (a desktop's settings switch an entry off that way).
bool startsAtLogin(const std::filesystem::path& place, const LoginCommand& command) {
    std::ifstream entry(place / entryName);
    bool runs = false;
    bool hidden = false;
    try {
        const std::string expected = "Exec=" + stringValue(loginCommandLine(command));
        for (std::string line; std::getline(entry, line);) {
            runs = runs || line == expected;
            hidden = hidden || line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false";
        }
    } catch (const std::runtime_error&) {
        return false; // a path no entry can hold: none runs it
    }
    return runs && !hidden;
}

void startAtLogin(const std::filesystem::path& place, const LoginCommand& command) {
    makePrivateFolder(place);
    replaceFile(place / entryName, entryText(command));
}

void stopStartingAtLogin(const std::filesystem::path& place) {
    const std::filesystem::path entry = place / entryName;
    if (::unlink(entry.c_str()) != 0 && errno != ENOENT)
        throw std::system_error(errno, std::generic_category(),
                                "unable to remove \"" + entry.string() + "\"");
}

} // namespace platform
