#include "javascript/Lexer.h"

#include <gtest/gtest.h>

using namespace javascript;

namespace {

struct Lexed {
    std::vector<LexToken> tokens;
    ParseContext context{"pakvue.config.json"};
};

Lexed lex(std::string_view text) {
    Lexed result;
    result.tokens = tokenize(text, result.context);
    return result;
}

std::vector<std::string> texts(const std::vector<LexToken>& tokens) {
    std::vector<std::string> result;
    for (const auto& token : tokens)
        result.push_back(token.text);
    return result;
}

// The Error messages as "index:text".
std::vector<std::string> errors(const ParseContext& context) {
    std::vector<std::string> result;
    for (const auto& message : context.messages())
        if (message.severity == MessageSeverity::Error)
            result.push_back(std::to_string(message.position.index) + ":" + message.text);
    return result;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(Lexer, CutsAnObjectIntoTypedTokens) {
    const auto lexed = lex(R"({"a":1})");
    ASSERT_EQ(texts(lexed.tokens), (Strings{"{", R"("a")", ":", "1", "}"}));
    const LexTokenType types[] = {LexTokenType::Symbol, LexTokenType::String, LexTokenType::Symbol,
                                  LexTokenType::Integer, LexTokenType::Symbol};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(lexed.tokens[i].type, types[i]) << i;
    ASSERT_EQ(lexed.context.messages().size(), 1u);
    EXPECT_EQ(lexed.context.messages()[0].text, "lexing...");
    EXPECT_FALSE(lexed.context.hasError());
    EXPECT_TRUE(lex("").tokens.empty());
}

TEST(Lexer, NumbersReportStrayBytesAndGoOn) {
    auto lexed = lex("1.5.2");
    EXPECT_EQ(texts(lexed.tokens), Strings{"1.52"});
    EXPECT_EQ(lexed.tokens[0].type, LexTokenType::Real);
    EXPECT_EQ(errors(lexed.context), Strings{"3:syntax error"});

    lexed = lex("2E3");
    EXPECT_EQ(texts(lexed.tokens), Strings{"23"});
    EXPECT_EQ(lexed.tokens[0].type, LexTokenType::Integer);
    EXPECT_EQ(errors(lexed.context), Strings{"1:syntax error"});

    lexed = lex("1e5 2.5e-3 1e,");
    EXPECT_EQ(texts(lexed.tokens), (Strings{"1e5", "2.5e-3", "1e", ","}));
    EXPECT_EQ(lexed.tokens[0].type, LexTokenType::Integer);
    EXPECT_TRUE(errors(lexed.context).empty());

    EXPECT_EQ(errors(lex("1+2").context), Strings{"1:syntax error"});
    EXPECT_TRUE(errors(lex("1 + 2").context).empty());
    EXPECT_EQ(errors(lex("1.,").context), Strings{"2:syntax error"});
    EXPECT_EQ(texts(lex("-7").tokens), (Strings{"-", "7"}));
}

TEST(Lexer, StringsKeepTheirQuotesAndDecodeEscapes) {
    auto lexed = lex(R"('it\'s')");
    EXPECT_EQ(texts(lexed.tokens), Strings{"'it's'"});
    lexed = lex(R"("a\/b")");
    EXPECT_EQ(texts(lexed.tokens), Strings{R"("ab")"});
    EXPECT_EQ(errors(lexed.context), Strings{"3:invalid escape sequence"});
    lexed = lex(R"("\\\n\r\t\b\f\"")");
    EXPECT_EQ(texts(lexed.tokens), Strings{"\"\\\n\r\t\b\f\"\""});
    EXPECT_TRUE(errors(lexed.context).empty());
    lexed = lex("\"two\nlines\" x");
    EXPECT_EQ(texts(lexed.tokens), (Strings{"\"twolines\"", "x"}));
    EXPECT_EQ(lexed.tokens[1].position.line, 1);
    EXPECT_EQ(texts(lex("\"open").tokens), Strings{"\"open"});
    EXPECT_EQ(texts(lex("\"\xc3\xa9\"").tokens), Strings{"\"\xc3\xa9\""});
}

TEST(Lexer, SymbolsCompoundsAndComments) {
    EXPECT_EQ(texts(lex("a<=b").tokens), (Strings{"a", "<=", "b"}));
    EXPECT_EQ(texts(lex("a=<b").tokens), (Strings{"a", "=", "<", "b"}));
    EXPECT_EQ(texts(lex("x/*c*/y").tokens), (Strings{"x", "y"}));
    EXPECT_EQ(texts(lex("/*/ x").tokens), Strings{});
    EXPECT_EQ(texts(lex("a // note \xff\nb").tokens), (Strings{"a", "b"}));
    EXPECT_EQ(texts(lex("_a1 b_2").tokens), (Strings{"_a1", "b_2"}));
}

TEST(Lexer, AByteOfNoClassStopsTokenizing) {
    auto lexed = lex("a @ b");
    EXPECT_EQ(texts(lexed.tokens), Strings{"a"});
    EXPECT_EQ(errors(lexed.context), Strings{"2:syntax error"});
    lexed = lex("\xef\xbb\xbf{}");
    EXPECT_TRUE(lexed.tokens.empty());
    EXPECT_EQ(errors(lexed.context), Strings{"0:syntax error"});
    lexed = lex(std::string_view("a\0b", 3));
    EXPECT_EQ(errors(lexed.context), Strings{"1:syntax error"});
}

TEST(Lexer, ATokenStandsWhereThePreviousTokenEnded) {
    const auto lexed = lex("{\n  \"a\" :\n\n 1 }");
    ASSERT_EQ(lexed.tokens.size(), 5u);
    EXPECT_EQ(lexed.tokens[0].position.index, 0);
    EXPECT_EQ(lexed.tokens[1].position.line, 0); // ended "{" on line 0
    EXPECT_EQ(lexed.tokens[1].position.index, 1);
    EXPECT_EQ(lexed.tokens[3].position.line, 1);
    EXPECT_EQ(lexed.tokens[4].position.line, 3);
}

TEST(ParseContext, RendersMessagesSortedByPosition) {
    ParseContext context("pakvue.config.json");
    context.addMessage("lexing...", MessageSeverity::Info);
    context.addMessage("late", MessageSeverity::Error, {4, 40});
    context.addMessage("early", MessageSeverity::Error, {0, 12});
    context.addMessage("careful", MessageSeverity::Warning, {-1, 20});
    EXPECT_EQ(context.formatMessages(), "lexing...\r\n"
                                        "pakvue.config.json(1): error: early\r\n"
                                        "pakvue.config.json: warning: careful\r\n"
                                        "pakvue.config.json(5): error: late\r\n");
    EXPECT_TRUE(context.hasError());
}
