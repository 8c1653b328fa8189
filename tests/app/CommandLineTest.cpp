#include "app/CommandLine.h"

#include <gtest/gtest.h>

using Action = CommandLine::Action;

namespace {

CommandLine parsed(std::vector<std::string> arguments) {
    return CommandLine::parse(arguments);
}

} // namespace

TEST(CommandLine, NamesTheConfigurationAndTheActionEitherWay) {
    EXPECT_EQ(parsed({}).action, Action::Run);
    EXPECT_FALSE(parsed({}).configuration);
    for (const auto& arguments : {std::vector<std::string>{"--config", "a b/c\xc3\xa9.json"},
                                  std::vector<std::string>{"--config=a b/c\xc3\xa9.json"}}) {
        const CommandLine command = parsed(arguments);
        EXPECT_EQ(command.action, Action::Run);
        ASSERT_TRUE(command.configuration);
        EXPECT_EQ(*command.configuration, std::filesystem::path(u8"a b/c\u00e9.json"));
        EXPECT_EQ(command.error, "");
    }
    EXPECT_EQ(parsed({"--check"}).action, Action::Check);
    EXPECT_FALSE(parsed({"--check"}).configuration);
    EXPECT_EQ(*parsed({"--check", "x.json"}).configuration, "x.json");
    EXPECT_EQ(*parsed({"--check=x.json"}).configuration, "x.json");
    EXPECT_EQ(*parsed({"--check", "--config", "y.json"}).configuration, "y.json");
    EXPECT_EQ(parsed({"--help"}).action, Action::Help);
    EXPECT_EQ(parsed({"-h"}).action, Action::Help);
    EXPECT_EQ(parsed({"--version"}).action, Action::Version);

    const CommandLine render = parsed({"--render", "out", "--seconds", "12"});
    EXPECT_EQ(render.action, Action::Render);
    EXPECT_EQ(render.renderFolder, "out");
    EXPECT_EQ(render.seconds, 12);
    EXPECT_FALSE(render.synthetic);
    EXPECT_TRUE(parsed({"--synthetic", "--render=out"}).synthetic);
    EXPECT_EQ(parsed({"--render", "out"}).seconds, 5);

    EXPECT_EQ(parsed({"--counters"}).action, Action::Counters);
    EXPECT_EQ(parsed({"--counters"}).counterFilter, "");
    EXPECT_EQ(parsed({"--counters", "Processor("}).counterFilter, "Processor(");
    EXPECT_EQ(parsed({"--counters=-x"}).counterFilter, "-x");
    EXPECT_EQ(parsed({"--counters", "--config", "y.json"}).counterFilter, "");
}

TEST(CommandLine, SaysWhatItDidNotUnderstand) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--verbose"}, "unknown option \"--verbose\"."},
        {{"config.json"}, "unexpected argument \"config.json\"."},
        {{"--config"}, "\"--config\" needs a value."},
        {{"--render"}, "\"--render\" needs a value."},
        {{"--config", "a", "--config", "b"}, "name the configuration once."},
        {{"--check", "a", "--config", "b"}, "name the configuration once."},
        {{"--check", "--version"}, "\"--version\" cannot be combined with another action."},
        {{"--counters", "a", "b"}, "unexpected argument \"b\"."},
        {{"--counters", "--check"}, "\"--check\" cannot be combined with another action."},
        {{"--help=yes"}, "\"--help\" takes no value."},
        {{"--seconds", "3"}, "\"--seconds\" and \"--synthetic\" go with \"--render\"."},
        {{"--render", "o", "--seconds", "3", "--synthetic"},
         "\"--seconds\" and \"--synthetic\" exclude each other."},
    };
    for (const auto& [arguments, error] : cases)
        EXPECT_EQ(parsed(arguments).error, error) << arguments.front();
    for (const char* seconds : {"0", "3601", "2x", "", "-1"})
        EXPECT_EQ(parsed({"--render", "o", "--seconds", seconds}).error,
                  "\"--seconds\" takes a whole number from 1 to 3600.")
            << seconds;
}
