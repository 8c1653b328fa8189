#include "app/CommandLine.h"

#include <charconv>
#include <string_view>

namespace {

constexpr int longestPreview = 3600; // seconds

// An argument in quotes, then the rest of the sentence.
std::string quoted(std::string_view argument, std::string_view rest) {
    return std::string(1, '"').append(argument).append(1, '"').append(rest);
}

std::filesystem::path pathOf(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Walks the arguments; an option's value is the next argument or follows "=" in the same one.
class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    CommandLine run() {
        while (result_.error.empty() && next_ < arguments_.size())
            take(arguments_[next_++]);
        if (result_.error.empty())
            checkCombination();
        return result_;
    }

private:
    void take(std::string_view argument) {
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        if (equals != std::string_view::npos)
            inlineValue_ = argument.substr(equals + 1);
        else
            inlineValue_.reset();
        const bool flag =
            name == "--help" || name == "-h" || name == "--version" || name == "--synthetic";
        if (flag && inlineValue_)
            result_.error = quoted(name, " takes no value.");
        else if (name == "--help" || name == "-h")
            setAction(CommandLine::Action::Help, name);
        else if (name == "--version")
            setAction(CommandLine::Action::Version, name);
        else if (name == "--config")
            setConfiguration(value(name));
        else if (name == "--check")
            takeCheck();
        else if (name == "--counters")
            takeCounters();
        else if (name == "--render")
            takeRender(name);
        else if (name == "--seconds")
            takeSeconds(name);
        else if (name == "--synthetic")
            result_.synthetic = true;
        else
            result_.error =
                std::string(argument.starts_with("-") ? "unknown option " : "unexpected argument ")
                    .append(quoted(argument, "."));
    }

    void setAction(CommandLine::Action action, std::string_view argument) {
        if (result_.action != CommandLine::Action::Run && result_.action != action)
            result_.error = quoted(argument, " cannot be combined with another action.");
        result_.action = action;
    }

    void setConfiguration(const std::optional<std::string_view>& file) {
        if (!file)
            return;
        if (result_.configuration)
            result_.error = "name the configuration once.";
        result_.configuration = pathOf(*file);
    }

    // The option's value: after "=", else the next argument; none is an error.
    std::optional<std::string_view> value(std::string_view name) {
        if (inlineValue_)
            return inlineValue_;
        if (next_ < arguments_.size())
            return arguments_[next_++];
        result_.error = quoted(name, " needs a value.");
        return std::nullopt;
    }

    // The file to check is optional: an argument that is not an option.
    void takeCheck() {
        setAction(CommandLine::Action::Check, "--check");
        if (inlineValue_)
            setConfiguration(inlineValue_);
        else if (next_ < arguments_.size() && !arguments_[next_].starts_with("-"))
            setConfiguration(arguments_[next_++]);
    }

    // The filter is optional too; it may be any text, but not an option.
    void takeCounters() {
        setAction(CommandLine::Action::Counters, "--counters");
        if (inlineValue_)
            result_.counterFilter = *inlineValue_;
        else if (next_ < arguments_.size() && !arguments_[next_].starts_with("-"))
            result_.counterFilter = arguments_[next_++];
    }

    void takeRender(std::string_view name) {
        setAction(CommandLine::Action::Render, name);
        if (const auto folder = value(name))
            result_.renderFolder = pathOf(*folder);
    }

    void takeSeconds(std::string_view name) {
        const auto text = value(name);
        if (!text)
            return;
        int seconds = 0;
        const auto [end, failure] =
            std::from_chars(text->data(), text->data() + text->size(), seconds);
        if (failure != std::errc() || end != text->data() + text->size() || seconds < 1 ||
            seconds > longestPreview)
            result_.error = "\"--seconds\" takes a whole number from 1 to " +
                            std::to_string(longestPreview) + ".";
        result_.seconds = seconds;
        secondsGiven_ = true;
    }

    void checkCombination() {
        if ((secondsGiven_ || result_.synthetic) && result_.action != CommandLine::Action::Render)
            result_.error = "\"--seconds\" and \"--synthetic\" go with \"--render\".";
        else if (secondsGiven_ && result_.synthetic)
            result_.error = "\"--seconds\" and \"--synthetic\" exclude each other.";
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    std::optional<std::string_view> inlineValue_;
    bool secondsGiven_ = false;
    CommandLine result_;
};

} // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    return Parser(arguments).run();
}

std::string CommandLine::version() {
    return "PakVue " PAKVUE_VERSION;
}

std::string CommandLine::usage() {
    return "Usage: pakvue [--config FILE]\n"
           "       pakvue --check [FILE]\n"
           "       pakvue --render FOLDER [--seconds N | --synthetic] [--config FILE]\n"
           "       pakvue --counters [FILTER]\n"
           "Shows performance counters as live graphs in the notification area.\n"
           "\n"
           "  --config FILE      use FILE as the configuration; the log goes beside it\n"
           "  --check [FILE]     load the configuration as at start-up and print what the\n"
           "                     load logs; exit 0 when every icon and graph loads, 1 when\n"
           "                     one fails, 2 when the file cannot be read or parsed\n"
           "  --render FOLDER    write each icon's tray picture (eight times enlarged) and\n"
           "                     its pinned detail window into FOLDER as PNG files\n"
           "  --seconds N        sample the counters for N seconds first (default 5)\n"
           "  --synthetic        draw made-up data instead, the same on every run\n"
           "  --counters [FILTER]\n"
           "                     list every counter path this computer serves, as written\n"
           "                     in the configuration, with its value; FILTER keeps those\n"
           "                     whose paths hold it, whatever its case\n"
           "  --help             show this help\n"
           "  --version          show the version\n"
           "\n"
           "Without --config, pakvue.config.json is looked for in the working directory,\n"
           "then in the program's folder, then in the user's configuration folder, where\n"
           "a first start writes the example. A running pakvue reads it again after a save.\n";
}
