#include "javascript/PlainJsonReader.h"

#include "javascript/JsonReader.h"
#include "support/JsonTree.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace javascript;

namespace {

// What the one-pass reader takes must come out as the full reader builds it.
void expectSameTree(std::string_view text) {
    const auto plain = readPlainJson(text);
    if (!plain)
        return;
    EXPECT_EQ(test::describe(plain), test::describe(test::readFully(text))) << text;
}

std::string file(const char* name) {
    std::ifstream in(std::string(PAKVUE_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const char* const sample = "{\"a\": [1, 2.5, 3e2, 4.5e-1, 1e999, 0.0e+0, true, false, null],\n"
                           " 'b': {\"c\": 'it\\'s', \"d\": \"\\\\ \\n\\r\\t\\b\\f\\\"\"},\n"
                           " /* note */ \"e\": \"two\nlines \xc3\xa9\", // end\n"
                           " \"a\": {}, \"f\": [[], [{}]], \"\": \"\"}";

} // namespace

TEST(PlainJsonReader, BuildsTheTreeOfTheFullReader) {
    for (const std::string& text :
         {std::string(sample), file("example.config.json"), file("rejected-configurations.json"),
          file("../../examples/pakvue.config.json")}) {
        ASSERT_TRUE(readPlainJson(text)) << text.substr(0, 80);
        expectSameTree(text);
    }
    std::string manyMembers = "{";
    for (int i = 0; i < 40; ++i)
        manyMembers += "\"k" + std::to_string(i % 25) + "\": " + std::to_string(i) + ",";
    manyMembers.back() = '}';
    ASSERT_TRUE(readPlainJson(manyMembers));
    expectSameTree(manyMembers);
    EXPECT_EQ(JsonReader::getNumber(readPlainJson(manyMembers), "k3"), 28.0); // the later one
}

// Every text that the full reader rejects or reads otherwise than plain JSON suggests is left to
// it: numbers it takes apart, operators, keys that are not strings, unknown escapes, texts that
// end early, a root that is not an object, bytes it stops at, and nesting near its limit.
TEST(PlainJsonReader, LeavesEverythingElseToTheFullReader) {
    const std::string deep = std::string(101, '[') + std::string(101, ']');
    for (const std::string& text : {std::string("{\"a\": -1}"),
                                    std::string("{\"a\": 1e}"),
                                    std::string("{\"a\": 1.}"),
                                    std::string("{\"a\": 1E5}"),
                                    std::string("{\"a\": 1.5.2}"),
                                    std::string("{\"a\": 1+2}"),
                                    std::string("{\"a\": 2x}"),
                                    std::string("{a: 1}"),
                                    std::string("{1: 1}"),
                                    std::string("{\"a\": 1,}"),
                                    std::string("[1,]"),
                                    std::string("{\"a\": \"\\/\"}"),
                                    std::string("{\"a\": \"\\'\"}"),
                                    std::string("{\"a\": \"open}"),
                                    std::string("{\"a\": \"x\\"),
                                    std::string("{\"a\": 1 /* open"),
                                    std::string("{\"a\": 1} x"),
                                    std::string("{\"a\": 1} {}"),
                                    std::string("[{\"a\": 1}]"),
                                    std::string("cfg = {\"a\": 1}"),
                                    std::string("{\"a\": \"x\"[0]}"),
                                    std::string("{\"a\": true.x}"),
                                    std::string("{\"a\": truth}"),
                                    std::string("{\"a\": name}"),
                                    std::string("{\"a\": ('q')}"),
                                    std::string("{\"a\" 1}"),
                                    std::string("\xef\xbb\xbf{}"),
                                    std::string("{\"a\": 1 /= 2}"),
                                    std::string("{} /"),
                                    std::string("{\"a\"\0: 1}", 9),
                                    std::string(""),
                                    std::string("  "),
                                    "{\"a\": " + deep + "}"})
        EXPECT_FALSE(readPlainJson(text)) << text;
    const std::string nested = std::string(99, '[') + std::string(99, ']');
    ASSERT_TRUE(readPlainJson("{\"a\": " + nested + "}"));
    expectSameTree("{\"a\": " + nested + "}");
}

// Each byte of the sample replaced by each byte that could change its meaning: whatever the
// one-pass reader still takes, the full reader reads alike and without an error.
TEST(PlainJsonReader, AgreesWithTheFullReaderOnEveryOneByteChange) {
    const std::string original = sample;
    for (std::size_t i = 0; i < original.size(); ++i) {
        for (char replacement : std::string_view("-+.eE0/*\\'\"\n x,:}]{[\0", 22)) {
            std::string text = original;
            text[i] = replacement;
            expectSameTree(text);
        }
    }
}
