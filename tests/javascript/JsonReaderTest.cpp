#include "javascript/JsonReader.h"

#include "javascript/KeyPath.h"
#include "support/Failure.h"
#include "support/TemporaryDirectory.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

using namespace javascript;

namespace {

std::shared_ptr<Value> read(std::string_view text) {
    JsonReader reader;
    reader.parse(text, "pakvue.config.json");
    return reader.root();
}

using Path = std::vector<KeyPathStep>;
constexpr auto Name = KeyPathStep::Kind::Name;
constexpr auto Index = KeyPathStep::Kind::Index;

} // namespace

TEST(ValueModel, ObjectsKeepDuplicatesAndFindTheLatest) {
    Object object;
    object.set("a", std::make_shared<Number>(1));
    object.set("a", std::make_shared<Number>(2));
    EXPECT_EQ(object.get("a")->get<double>(), 2.0);
    EXPECT_EQ(object.memberAt(0)->get<double>(), 1.0);
    EXPECT_EQ(object.memberCount(), 2u);
    EXPECT_EQ(test::failure([&] { object.get(""); }), "key '' does not exist.");
    EXPECT_THROW(object.memberAt(2), std::out_of_range);
    EXPECT_THROW(String("x").get<double>(), std::bad_cast);
    EXPECT_THROW(object.get<std::string>(), std::bad_cast);

    auto array = std::make_shared<Array>();
    array->push(std::make_shared<Boolean>(true));
    const auto elements = array->elements();
    array.reset();
    EXPECT_TRUE(elements[0]->get<bool>()); // the copy keeps the elements alive
}

// How a reload tells an icon whose settings are unchanged: by its whole tree.
TEST(ValueModel, TreesAreTheSameWhenEveryKindNameAndValueIs) {
    const auto same = [](std::string_view a, std::string_view b) {
        return sameTree(read(a), read(b));
    };
    EXPECT_TRUE(same(R"({ "a": [1, "x", true, { "b": null }] })",
                     "{\n  a: [ 1.0, 'x', true, { b: null } ]  // the same, spelt otherwise\n}"));
    EXPECT_FALSE(same(R"({ "a": [1, 2] })", R"({ "a": [1, 2, 3] })"));
    EXPECT_FALSE(same(R"({ "a": 1 })", R"({ "a": "1" })"));
    EXPECT_FALSE(same(R"({ "a": 1 })", R"({ "b": 1 })"));
    EXPECT_FALSE(same(R"({ "a": {} })", R"({ "a": [] })")) << "an array is no object";
    EXPECT_FALSE(same(R"({ "a": 1, "b": 2 })", R"({ "b": 2, "a": 1 })")) << "in order";
    EXPECT_TRUE(sameTree(nullptr, nullptr));
    EXPECT_FALSE(sameTree(read("{}"), nullptr));
}

TEST(JsonObjectGenerator, KeepsOnlyTheJsonData) {
    const auto root = read(R"({"a":1,"b":[true,"x",2.5],"c":{"d":null},"e":-1,"f":{"g":1} + 2,
                               "h":name,"i":('q'),"j":1e,"k":1e999})");
    EXPECT_EQ(JsonReader::getNumber(root, "a"), 1.0);
    bool flag = false;
    EXPECT_TRUE(JsonReader::tryGetBool(flag, root, "b[0]"));
    EXPECT_TRUE(flag);
    EXPECT_EQ(JsonReader::getString(root, "b[1]"), "x");
    EXPECT_EQ(JsonReader::getNumber(root, "b[2]"), 2.5);
    flag = true;
    EXPECT_TRUE(JsonReader::tryGetBool(flag, root, "c.d")); // null reads as false
    EXPECT_FALSE(flag);
    for (const char* missing : {"e", "f", "h"}) {
        EXPECT_EQ(test::failure([&] { JsonReader::getValue(root, missing); }),
                  std::string("key '") + missing + "' does not exist.");
    }
    EXPECT_EQ(JsonReader::getString(root, "i"), "q");
    EXPECT_EQ(JsonReader::getNumber(root, "j"), 1.0);
    EXPECT_EQ(JsonReader::getNumber(root, "k"), std::numeric_limits<double>::max());
}

TEST(JsonObjectGenerator, TheRootIsTheFirstObjectLiteral) {
    EXPECT_EQ(JsonReader::getNumber(read(R"([{"a":1},{"b":2}])"), "a"), 1.0);
    EXPECT_EQ(JsonReader::getNumber(read(R"(cfg = {"a":1})"), "a"), 1.0);
    EXPECT_FALSE(read("[1,2]"));
    EXPECT_FALSE(read(R"("text")"));
    EXPECT_EQ(test::failure([] { JsonReader::getValue(read("[1]"), "a"); }), "empty root node.");
}

TEST(KeyPath, SplitsNamesAndIndexes) {
    EXPECT_EQ(parseKeyPath("icons"), (Path{{Name, "icons"}}));
    EXPECT_EQ(parseKeyPath("a.b[2].c"),
              (Path{{Name, "a"}, {Name, "b"}, {Index, "2"}, {Name, "c"}}));
    EXPECT_EQ(parseKeyPath("a[0][1]"), (Path{{Name, "a"}, {Index, "0"}, {Index, "1"}}));
    EXPECT_EQ(parseKeyPath("a.[0][1]"), (Path{{Name, "a"}, {Index, "0"}, {Index, "1"}}));
    EXPECT_EQ(parseKeyPath("[3]"), (Path{{Index, "3"}}));
    EXPECT_EQ(parseKeyPath("a."), (Path{{Name, "a"}, {Name, ""}}));
    EXPECT_EQ(parseKeyPath("['x']"), (Path{{Index, "x"}}));
    EXPECT_TRUE(parseKeyPath("").empty());
    EXPECT_EQ(test::failure([] { parseKeyPath("a..b"); }), "invalid key path");
    EXPECT_EQ(test::failure([] { parseKeyPath("a[1"); }), "invalid key path");
}

TEST(JsonReader, LooksUpByKeyPathWithTheReadersMessages) {
    JsonReader reader;
    reader.parse(R"({"icons":[{"name":"cpu"},{"name":"net"}],"a":1,"b":2})", "test");
    const Array* icons = reader.getArray("icons");
    ASSERT_NE(icons, nullptr);
    ASSERT_EQ(icons->size(), 2u);
    std::string name;
    EXPECT_TRUE(JsonReader::tryGetString(name, icons->elements()[1], "name"));
    EXPECT_EQ(name, "net");
    EXPECT_EQ(reader.getValue("icons[1].name")->get<std::string>(), "net");
    EXPECT_EQ(reader.getValue("[2]")->get<double>(), 2.0); // members by position
    EXPECT_EQ(reader.getValue(""), reader.root());
    EXPECT_EQ(reader.getArray("a"), nullptr);
    EXPECT_EQ(test::failure([&] { reader.getValue("icons.name"); }), "name access on an array.");
    EXPECT_EQ(test::failure([&] { reader.getValue("icons[0].name.x"); }), "invalid object type.");
    EXPECT_EQ(test::failure([&] { reader.getValue("a[0]"); }), "invalid object type.");

    // Indexes that are not positions fail like any other lookup, never read out of range.
    for (const char* path :
         {"icons[2]", "icons[-1]", "icons[1x]", "icons[]", "icons[99999999999]", "[3]"}) {
        std::shared_ptr<Value> out;
        EXPECT_FALSE(JsonReader::tryGetValue(out, reader.root(), path)) << path;
        EXPECT_FALSE(out);
    }
}

TEST(JsonReader, TryFormsReportFalseAndLeaveTheirOutputAlone) {
    const auto root = read(R"({"s":"text","n":-5,"t":true})");
    double number = 7.0;
    EXPECT_FALSE(JsonReader::tryGetNumber(number, root, "s"));
    EXPECT_FALSE(JsonReader::tryGetNumber(number, root, "n")); // a negative number is left out
    EXPECT_EQ(number, 7.0);
    EXPECT_THROW(JsonReader::getNumber(root, "s"), std::bad_cast);
    std::string text = "kept";
    EXPECT_FALSE(JsonReader::tryGetString(text, root, "t"));
    EXPECT_FALSE(JsonReader::tryGetString(text, nullptr, "t"));
    EXPECT_EQ(text, "kept");
}

TEST(JsonReader, AFailedParseKeepsTheOldRootAndSaysWhereItWentWrong) {
    JsonReader reader;
    reader.parse(R"({"a":1})", "first");
    const std::string text = "{\n  \"a\": 1,\n  \"b\" 2\n}";
    EXPECT_TRUE(test::failure([&] { reader.parse(text, "pakvue.config.json"); })
                    .starts_with("error parsing json:\r\nlexing...\r\n"
                                 "pakvue.config.json(3): error: expected ':'\r\n"));
    EXPECT_EQ(reader.getValue("a")->get<double>(), 1.0);

    test::TemporaryDirectory dir;
    EXPECT_EQ(test::failure([&] { reader.load(dir.file("missing.json")); }),
              "error parsing json:\r\nlexing...\r\n" + dir.file("missing.json") +
                  "(1): error: syntax error: '(end)'\r\n");
    EXPECT_EQ(test::failure([] { read("\xef\xbb\xbf{}"); }),
              "error parsing json:\r\nlexing...\r\npakvue.config.json(1): error: syntax error\r\n"
              "pakvue.config.json(1): error: syntax error: '(end)'\r\n");
}

// A text of bad bytes makes a message a byte: the rendering shows the first hundred and counts
// the rest, and a file over 1 MiB is not read at all.
TEST(JsonReader, HugeOrRuinedConfigurationsAreCutShort) {
    std::string failure = test::failure([] { read("{ \"a\": 1" + std::string(5000, 'e') + " }"); });
    EXPECT_EQ(std::count(failure.begin(), failure.end(), '\n'), 102)
        << "the heading, 100, the count";
    EXPECT_TRUE(failure.ends_with("\r\n") &&
                failure.find(" more messages.\r\n") != std::string::npos)
        << failure.substr(failure.size() - 200);

    test::TemporaryDirectory dir;
    std::string largest = "{}" + std::string(JsonReader::largestFile - 2, ' ');
    std::ofstream(dir.file("largest.json"), std::ios::binary) << largest;
    std::ofstream(dir.file("larger.json"), std::ios::binary) << largest << ' ';
    JsonReader reader;
    EXPECT_NO_THROW(reader.load(dir.file("largest.json")));
    EXPECT_EQ(test::failure([&] { reader.load(dir.file("larger.json")); }),
              "the configuration file \"" + dir.file("larger.json") +
                  "\" is larger than 1 MiB; it was not read.");
}
