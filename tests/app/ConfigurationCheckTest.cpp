#include "app/ConfigurationCheck.h"

#include "support/MonitorFixture.h"
#include "support/TemporaryDirectory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

// One icon: `keys` go before its graphs, `graph` is the first graph's input and a second graph
// of memory load follows.
std::string icon(const std::string& keys, const std::string& graph = R"({ "type": "win32" })") {
    const std::string output = R"("output": { "renderMethod": "line",
                                  "colours": [ { "value": 0, "colour": "#00ff00" } ] })";
    return R"({ "updateInterval": 500, "scrollAmount": 2, )" + keys + R"( "graphs": [
              { "input": )" +
           graph + ", " + output + R"( },
              { "input": { "type": "win32" }, )" +
           output + " } ] }";
}

std::string document(const std::string& icons) {
    return R"({ "icons": [ )" + icons + " ] }";
}

struct Case {
    const char* what;
    std::string text;
    CheckResult result;
    std::string output; // a line the check prints
};

} // namespace

TEST(ConfigurationCheck, ExitsByWhatTheLoadOfEachIconCame) {
    const std::string good = icon("");
    const Case cases[] = {
        {"all well", document(good + ", " + good), CheckResult::Loaded, "2 of 2 icons loaded.\n"},
        {"step corrected", document(icon(R"("scrollAmount": 40,)")), CheckResult::Loaded,
         "Error - invalid step-size specified, reverting to a default value of 1.\n"},
        {"preview step corrected", document(icon(R"("preview": { "scrollAmount": 0 },)")),
         CheckResult::Loaded, "reverting to a default value of 8.\n"},
        {"not JSON", "{ \"icons\": [", CheckResult::Unreadable, "Critical - error parsing json:"},
        {"no icons key", "{}", CheckResult::SomethingFailed, "Critical - key 'icons' does not"},
        {"no icons", document(""), CheckResult::SomethingFailed,
         "Error - empty configuration; exiting.\n"},
        {"icon key missing", document(R"({ "graphs": [] }, )" + good), CheckResult::SomethingFailed,
         "1 of 2 icons loaded.\n"},
        {"bad colour", document(icon(R"("backgroundColour": "#1",)")), CheckResult::SomethingFailed,
         "Error - invalid string position\n"},
        {"no graphs", document(R"({ "updateInterval": 500, "scrollAmount": 2, "graphs": [] })"),
         CheckResult::SomethingFailed, "Error - empty graph configuration.\n"},
        {"unknown type", document(icon("", R"({ "type": "snmp" })")), CheckResult::SomethingFailed,
         "1 of 1 icons loaded; 1 graph left out.\n"},
        {"nameless counter", document(icon("", R"({ "type": "wmi", "name": "" })")),
         CheckResult::SomethingFailed, "Error - invalid data source name.\n"},
        {"short history", document(icon(R"("historySize": 3,)")), CheckResult::SomethingFailed,
         "Error - specified view size greater than buffer size.\n"},
    };
    test::TemporaryDirectory dir;
    for (const Case& c : cases) {
        const std::string file = dir.file("pakvue.config.json");
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.text;
        std::ostringstream out;
        EXPECT_EQ(checkConfiguration(ProgramFiles::named(file), test::counterlessCollector, out),
                  c.result)
            << c.what;
        EXPECT_NE(out.str().find(c.output), std::string::npos) << c.what << ":\n" << out.str();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / ProgramFiles::logName))
        << "a check leaves the log alone";
}

// The log says only that a path failed: the check names it and says where the others are.
TEST(ConfigurationCheck, NamesEachRefusedCounterPathAndPointsAtTheList) {
    test::TemporaryDirectory dir;
    const std::string file = dir.file("pakvue.config.json");
    std::ofstream(file) << document(
        icon("", R"({ "type": "wmi", "name": "\\Temperature(_Total)\\Degrees Celsius" })") + ", " +
        icon(R"("units": "Temperature",)", R"({ "type": "wmi", "name": "\\Gone\\Away" })"));
    const auto factory = [](Units units, const std::string& type, const std::string& name,
                            const std::string& label) {
        if (name == "\\Gone\\Away")
            throw std::invalid_argument("PdhAddCounter failed");
        return test::counterlessCollector(units, type, name, label);
    };
    std::ostringstream out;
    EXPECT_EQ(checkConfiguration(ProgramFiles::named(file), factory, out),
              CheckResult::SomethingFailed);
    EXPECT_EQ(out.str(), "Error - PdhAddCounter failed\n"
                         "2 of 2 icons loaded; 1 graph left out.\n"
                         "\"\\Gone\\Away\" is no counter of this computer; pakvue --counters "
                         "lists those it serves.\n");
}

TEST(ConfigurationCheck, AMissingFileIsUnreadableAndNamed) {
    test::TemporaryDirectory dir;
    std::ostringstream out;
    const auto missing = dir.path() / "none.json";
    EXPECT_EQ(checkConfiguration(ProgramFiles::named(missing), test::counterlessCollector, out),
              CheckResult::Unreadable);
    EXPECT_NE(out.str().find("the configuration file \"" + missing.string() + "\" was not found."),
              std::string::npos)
        << out.str();
}
