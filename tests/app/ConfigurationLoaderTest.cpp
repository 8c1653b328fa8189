#include "app/ConfigurationLoader.h"

#include "gui/BarRenderingMethod.h"
#include "javascript/JsonReader.h"
#include "support/Failure.h"
#include "support/LogCapture.h"
#include "support/MonitorFixture.h"

#include "gtest/gtest.h"
#include <algorithm>
#include <regex>

using javascript::JsonReader;

namespace {

class ConfigurationLoaderTest : public ::testing::Test {
protected:
    ConfigurationLoaderTest() { log.open(); }

    // Loads the first icon of a document.
    std::shared_ptr<gui::MonitorConfiguration> load(const std::string& document) {
        reader.parse(document, "test.json");
        ConfigurationLoader loader(reader.root(), test::counterlessCollector);
        return loader.loadIcon(reader.getArray("icons")->at(0));
    }

    // What loading a whole document, as the application does, ends with: the text of the
    // failure that stops it (no usable "icons", or an icon that fails), or "(nothing thrown)".
    std::string rejection(const std::shared_ptr<javascript::Value>& document) {
        return test::failure([&] {
            const javascript::Array* icons = JsonReader::getArray(document, "icons");
            if (icons == nullptr || icons->size() == 0)
                throw std::runtime_error("empty configuration; exiting.");
            ConfigurationLoader loader(document, test::counterlessCollector);
            for (const std::shared_ptr<javascript::Value>& icon : icons->elements())
                loader.loadIcon(icon);
        });
    }

    std::string failure(const std::string& document) {
        return test::failure([&] { load(document); });
    }

    // An icon with `keys` spliced in before its one graph, whose output gets `output` after its
    // own keys (a name given twice reads as its later value).
    static std::string icon(const std::string& keys, const std::string& output = "",
                            const std::string& root = "") {
        return R"({ )" + root + R"( "icons": [ { "updateInterval": 500, "scrollAmount": 2, )" +
               keys + R"( "graphs": [ { "input": { "type": "win32" }, "output": {
               "renderMethod": "line", "colours": [ { "value": 0, "colour": "#00ff00" } ] )" +
               (output.empty() ? "" : ", " + output) + " } } ] } ] }";
    }

    test::TemporaryDirectory dir;
    test::LogCapture log{dir};
    JsonReader reader;
};

TEST_F(ConfigurationLoaderTest, TheExampleBuildsOneBufferPerGraphForBothDisplays) {
    reader.load(PAKVUE_TEST_DATA "/example.config.json");
    ConfigurationLoader loader(reader.root(), test::counterlessCollector);
    auto monitor = loader.loadIcon(reader.getArray("icons")->at(0));
    const gui::DisplayConfiguration& tray = monitor->tray;
    const gui::DisplayConfiguration& detail = monitor->detail;
    EXPECT_EQ(tray.step, 2u);
    EXPECT_EQ(detail.step, 4u);
    EXPECT_EQ(tray.visibleCount, 10);
    EXPECT_EQ(detail.visibleCount, 122);
    EXPECT_EQ(detail.totalCount, 122);
    ASSERT_EQ(tray.graphs.size(), 1u) << "the memory graph is shown in the detail window only";
    ASSERT_EQ(detail.graphs.size(), 2u);
    EXPECT_EQ(tray.graphs[0].view->getSize(), 10);
    EXPECT_EQ(detail.graphs[0].view->getSize(), 122);
    EXPECT_EQ(tray.graphs[0].buffer, detail.graphs[0].buffer);
    EXPECT_EQ(monitor->dataSet->data().size(), 2u) << "a preview-only graph is sampled too";
    EXPECT_TRUE(tray.graphs[0].highlight.enabled);
    EXPECT_FALSE(detail.graphs[0].highlight.enabled);
    EXPECT_EQ(tray.graphs[0].fillMode, FillMode::None);
    EXPECT_EQ(detail.graphs[1].fillMode, FillMode::Flat);
    EXPECT_NE(std::dynamic_pointer_cast<gui::BarRenderingMethod>(detail.graphs[1].renderingMethod),
              nullptr);
    EXPECT_TRUE(tray.fixedScale);
    EXPECT_EQ(tray.fixedMaximum, 100.0);
    EXPECT_EQ(tray.background, Colour(0, 0, 0, 127));
    ASSERT_EQ(tray.gaugeLines.size(), 1u);
    EXPECT_EQ(tray.updateInterval, 1000u);
    EXPECT_EQ(detail.inspectorType, InspectorType::Floating);
    EXPECT_EQ(tray.inspectorType, static_cast<InspectorType>(0));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ConfigurationLoaderTest, StepsOutsideTheirLimitsAreCorrectedWithAnErrorLine) {
    // A written "-3" is no number to the reader (a minus is an operator): the key is missing.
    EXPECT_EQ(failure(R"({ "icons": [ { "updateInterval": 500, "scrollAmount": -3,
                          "graphs": [] } ] })"),
              "key 'scrollAmount' does not exist.");
    for (const char* step : {"0", "17"}) {
        auto monitor = load(icon(std::string(R"("scrollAmount": )") + step + ",", "", ""));
        EXPECT_EQ(monitor->tray.step, 1u) << step;
    }
    EXPECT_EQ(load(icon(R"("scrollAmount": 16,)"))->tray.visibleCount, 3);
    EXPECT_EQ(load(icon(R"("scrollAmount": 5, "historySize": 200,)"))->tray.visibleCount, 5);
    auto preview = load(icon(R"("preview": { "scrollAmount": 0 },)"));
    EXPECT_EQ(preview->detail.step, 8u);
    auto lines = log.lines();
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(lines[i].level, "Error");
        EXPECT_EQ(lines[i].message,
                  "invalid step-size specified, reverting to a default value of 1.");
    }
    EXPECT_EQ(lines[2].message, "invalid step-size specified, reverting to a default value of 8.");
}

TEST_F(ConfigurationLoaderTest, OptionalKeysKeepTheirDefaultsWhenAbsentOrUnusable) {
    auto monitor = load(icon(R"("fixedMaximum": 0, "fixedMinimum": -10, "units": 7,)",
                             R"("rescale": "no")", R"("inspectorType": "Sideways",)"));
    EXPECT_FALSE(monitor->tray.fixedScale);
    EXPECT_FALSE(monitor->tray.hasMinimumMaximum);
    EXPECT_EQ(monitor->detail.inspectorType, InspectorType::Floating);
    EXPECT_TRUE(monitor->tray.graphs[0].rescale);
    EXPECT_EQ(monitor->tray.background, Colour(0, 0, 0, 127));
    EXPECT_EQ(monitor->detail.totalCount, 62) << "480 / (4 x 2) + 2";
    EXPECT_EQ(monitor->tray.graphs[0].view->getUnits(), Units::None);
    auto bars = load(icon("", R"("renderMethod": "bar")"));
    auto notBars = load(icon("", R"("renderMethod": "Bar")"));
    EXPECT_NE(
        std::dynamic_pointer_cast<gui::BarRenderingMethod>(bars->tray.graphs[0].renderingMethod),
        nullptr);
    EXPECT_EQ(
        std::dynamic_pointer_cast<gui::BarRenderingMethod>(notBars->tray.graphs[0].renderingMethod),
        nullptr);
}

// A "preview" that is not an object is as good as absent; a history that would fill gigabytes up
// front drops the icon before anything is allocated.
TEST_F(ConfigurationLoaderTest, AnUnusablePreviewIsIgnoredAndAHugeHistoryRefused) {
    for (const char* preview : {R"("preview": 5,)", R"("preview": [ 1 ],)", R"("preview": "x",)"}) {
        auto monitor = load(icon(preview));
        EXPECT_EQ(monitor->detail.step, 8u) << preview;
        EXPECT_EQ(monitor->detail.graphs[0].fillMode, FillMode::Gradient) << preview;
    }
    EXPECT_EQ(load(icon(R"("historySize": 1000000,)"))->detail.totalCount, 1000000);
    EXPECT_EQ(failure(icon(R"("historySize": 1000001,)")), "invalid history size specified.");
    EXPECT_EQ(failure(icon(R"("historySize": 134217728,)")), "invalid history size specified.");
}

// The reader never yields a negative number, but a document built in memory may hold one.
TEST_F(ConfigurationLoaderTest, NegativeSizesAndIntervalsDropTheIcon) {
    for (const char* key : {"historySize", "updateInterval"}) {
        reader.parse(icon(""), "test.json");
        auto entry = std::dynamic_pointer_cast<javascript::Object>(reader.getArray("icons")->at(0));
        entry->set(key, std::make_shared<javascript::Number>(-4.0));
        ConfigurationLoader loader(reader.root(), test::counterlessCollector);
        EXPECT_EQ(test::failure([&] { loader.loadIcon(entry); }),
                  std::string("invalid ") + (key[0] == 'h' ? "history size" : "update interval") +
                      " specified.");
    }
}

// The schema test reads the same documents: each is one that the schema refuses too.
TEST_F(ConfigurationLoaderTest, EveryRejectedDocumentFailsWithItsText) {
    JsonReader table;
    table.load(PAKVUE_TEST_DATA "/rejected-configurations.json");
    const javascript::Array* cases = table.getArray("cases");
    ASSERT_NE(cases, nullptr);
    ASSERT_GE(cases->size(), 30u);
    std::size_t logged = 0;
    for (const std::shared_ptr<javascript::Value>& entry : cases->elements()) {
        const std::string name = JsonReader::getString(entry, "name");
        std::vector<std::string> texts{rejection(JsonReader::getValue(entry, "document"))};
        EXPECT_NE(texts[0], "(nothing thrown)") << name;
        const std::vector<test::LogLine> lines = log.lines();
        for (std::size_t i = logged; i < lines.size(); ++i)
            texts.push_back(lines[i].message);
        logged = lines.size();
        log.open();
        const std::string expected = JsonReader::getString(entry, "loader");
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end())
            << name << ": " << texts[0];
    }
}

TEST_F(ConfigurationLoaderTest, UnknownKeysSuchAsTheSchemaReferenceAreIgnored) {
    load(icon("", "", R"("$schema": "pakvue.config.schema.json",)"));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ConfigurationLoaderTest, FailedGraphsAreLoggedAndSkipped) {
    std::string document = R"({ "icons": [ { "updateInterval": 0, "scrollAmount": 1, "graphs": [
        { "input": { "type": "wmi" }, "output": { "renderMethod": "line", "colours": [] } },
        { "input": { "type": "perfmon" }, "output": { "renderMethod": "line", "colours": [] } },
        { "input": { "type": "win32" }, "output": { "renderMethod": "line" } },
        { "input": { "type": "win32" }, "output": { "renderMethod": "line",
          "colours": [ { "value": 0, "colour": "#1" } ] } },
        { "input": { "type": "win32" }, "output": { "renderMethod": "line", "colours": [],
          "highlight": { "value": 80, "units": "Size" } } } ] } ] })";
    auto monitor = load(document);
    ASSERT_EQ(monitor->tray.graphs.size(), 1u);
    EXPECT_TRUE(monitor->tray.graphs[0].highlight.enabled);
    EXPECT_EQ(monitor->tray.graphs[0].highlight.units, Units::Size);
    EXPECT_EQ(monitor->tray.updateInterval, ConfigurationLoader::shortestInterval);
    std::vector<std::string> messages;
    for (const test::LogLine& line : log.lines())
        messages.push_back(line.level + ": " + line.message);
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0], "Warning: update interval of 0 ms is too short; using 100 ms.");
    EXPECT_EQ(messages[1], "Error: invalid data source name.");
    EXPECT_EQ(messages[2], "Error: unknown data source type.");
    EXPECT_TRUE(messages[3].starts_with("Error: ")) << "the reader's missing-key message";
    EXPECT_EQ(messages[4], "Error: invalid string position");

    EXPECT_EQ(failure(R"({ "icons": [ { "updateInterval": 100, "scrollAmount": 1,
        "graphs": [ { "input": { "type": "perfmon" } } ] } ] })"),
              "no graphs successfully loaded for icon.");
}

} // namespace
