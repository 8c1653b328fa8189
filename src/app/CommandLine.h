#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the program was asked to do by its arguments. Without any it runs in the notification
// area as always; the options check or preview a configuration, or tell about the program.
struct CommandLine {
    enum class Action { Run, Help, Version, Check, Render, Counters };

    Action action = Action::Run;
    std::optional<std::filesystem::path> configuration; // the file named, else the usual search
    std::filesystem::path renderFolder;
    int seconds = 5;           // of sampling before a preview is drawn
    bool synthetic = false;    // a preview of made-up data rather than the counters
    std::string counterFilter; // what the counters listed hold in their paths; empty for all
    std::string error;         // what was not understood; empty when all was

    // `arguments` without the program's name, in UTF-8.
    static CommandLine parse(const std::vector<std::string>& arguments);
    static std::string usage();
    static std::string version();
};
