#include "javascript/ast/Parser.h"

#include <gtest/gtest.h>

using namespace javascript;
using namespace javascript::ast;

namespace {

struct Parsed {
    NodePtr root;
    ParseContext context{"pakvue.config.json"};
};

std::unique_ptr<Parsed> parse(std::string_view text) {
    auto parsed = std::make_unique<Parsed>();
    parsed->root = parseProgram(tokenize(text, parsed->context), parsed->context);
    return parsed;
}

// The Error texts in the order reported.
std::vector<std::string> errors(const ParseContext& context) {
    std::vector<std::string> result;
    for (const auto& message : context.messages())
        if (message.severity == MessageSeverity::Error)
            result.push_back(message.text);
    return result;
}

using Strings = std::vector<std::string>;

template <typename T>
const T& as(const NodePtr& node) {
    const auto* typed = dynamic_cast<const T*>(node.get());
    if (typed == nullptr)
        throw std::runtime_error("node '" + (node ? node->id : "null") + "' has another class");
    return *typed;
}

// Binary nodes as "(left op right)", leaves as their text, other nodes as "[id]".
std::string shape(const NodePtr& node) {
    if (const auto* binary = dynamic_cast<const BinaryNode*>(node.get()))
        return "(" + shape(binary->left) + " " + binary->id + " " + shape(binary->right) + ")";
    if (dynamic_cast<const ConstantNode*>(node.get()) ||
        dynamic_cast<const IdentifierNode*>(node.get()))
        return node->value;
    return node ? "[" + node->id + "]" : "null";
}

} // namespace

TEST(Parser, LiteralsBecomeListNodesWithUnquotedMemberNames) {
    EXPECT_TRUE(as<ObjectNode>(parse("{}")->root).children.empty());
    EXPECT_TRUE(as<ArrayNode>(parse("[]")->root).children.empty());

    const auto parsed = parse(R"({"a":1, 'b':"x", c:true, 1:[2.5], "a":null})");
    const auto& members = as<ObjectNode>(parsed->root).children;
    ASSERT_EQ(members.size(), 5u);
    const char* names[] = {"a", "b", "c", "1", "a"};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(members[i]->memberName, names[i]);
    EXPECT_EQ(members[0]->type, TokenKind::Integer);
    EXPECT_EQ(members[1]->value, R"("x")");
    EXPECT_EQ(members[2]->type, TokenKind::Literal);
    EXPECT_EQ(as<ArrayNode>(members[3]).children[0]->type, TokenKind::Real);
}

TEST(Parser, OperatorsGroupByBindingPower) {
    const auto difference = parse("1 - 2 - 3");
    const auto& outer = as<InfixNode>(difference->root);
    EXPECT_EQ(as<InfixNode>(outer.left).left->value, "1"); // (1 - 2) - 3

    const auto conjunction = parse("a && b && c");
    EXPECT_EQ(as<InfixNode>(as<InfixNode>(conjunction->root).right).left->value, "b");

    const auto negative = parse("-1");
    EXPECT_EQ(negative->root->type, TokenKind::Unary);
    EXPECT_NO_THROW(as<PrefixNode>(negative->root));

    const auto assignment = parse(R"(a = {"x":1})");
    EXPECT_NO_THROW(as<ObjectNode>(as<AssignmentNode>(assignment->root).right));

    for (const char* text : {"a.b(1)", "f(1, 2)", "a[0] ? b : c", "x++ + --y", "(1 + 2) * 3",
                             "typeof a == 'x'", "!a != b", "a += 1", "this.x = 2"}) {
        const auto parsed = parse(text);
        EXPECT_TRUE(parsed->root) << text;
        EXPECT_TRUE(errors(parsed->context).empty()) << text;
    }
}

// Each case would group differently if one binding power were off by one or swapped between the
// prefix and the infix use of a token.
TEST(Parser, PrecedenceAndAssociativityFollowTheBindingPowers) {
    const struct {
        const char* text;
        const char* shape;
    } cases[] = {
        {"a - -b * c", "(a - ([-] * c))"}, // prefix minus binds tighter than infix minus
        {"a + b - c + d", "(((a + b) - c) + d)"},
        {"a * b / c * d", "(((a * b) / c) * d)"},
        {"a * b + c / d", "((a * b) + (c / d))"},
        {"a * b++ / c--", "((a * [++]) / [--])"},
        {"a + b < c && d", "(((a + b) < c) && d)"},
        // comparison and logical operators group rightwards
        {"a == b != c < d <= e > f >= g", "(a == (b != (c < (d <= (e > (f >= g))))))"},
        {"a >= b > c <= d < e != f == g", "(a >= (b > (c <= (d < (e != (f == g))))))"},
        {"a == b && c != d || e < f", "((a == b) && ((c != d) || (e < f)))"},
        {"a <= b || c > d && e >= f", "((a <= b) || ((c > d) && (e >= f)))"},
        {"a < b && c >= d || e", "((a < b) && ((c >= d) || e))"},
        {"a = b += c -= d = e", "(a = (b += (c -= (d = e))))"},
        {"a -= b || c", "(a -= (b || c))"},
        {"a || b ? c : d", "[?]"},
        {"a && b ? c : d", "[?]"},
        {"a = b ? c : d", "(a = [?])"},
        {"a ? b : c = d", "[?]"},
        {"-a.b", "[-]"},
        {"!a[0] == b", "([!] == b)"},
        {"typeof f(1)", "[typeof]"},
        {"typeof a == 'x'", "([typeof] == 'x')"},
        {"a.b[c].d", "(((a . b) [ c) . d)"},
    };
    for (const auto& c : cases) {
        const auto parsed = parse(c.text);
        EXPECT_TRUE(errors(parsed->context).empty()) << c.text;
        EXPECT_EQ(shape(parsed->root), c.shape) << c.text;
    }
}

TEST(Parser, ReportsEachKindOfMistake) {
    const struct {
        const char* text;
        Strings expected;
    } cases[] = {
        {"", {"syntax error: '(end)'"}},
        {R"({"a":1,})", {"expected ':'", "syntax error: '(end)'", "expected '}'"}},
        {"[1,]", {"syntax error: ']'", "expected ']'"}},
        {R"({"a":1} {"b":2})", {"expected '(end)'"}},
        {"var x", {"syntax error: 'var'", "expected '(end)'"}},
        {"1 % 2", {"syntax error : '1'", "expected '(end)'"}},
        {"1 = 2", {"bad l-value"}},
        {"a.1", {"expected a property name"}},
        {"1(2)", {"expected a variable name."}},
        {"{\"a\" 1}", {"expected ':'", "syntax error: '(end)'", "expected '}'"}},
    };
    for (const auto& c : cases) {
        const auto parsed = parse(c.text);
        EXPECT_FALSE(parsed->root) << c.text;
        EXPECT_EQ(errors(parsed->context), c.expected) << c.text;
    }
}

TEST(Parser, ErrorsStandOnTheLineWhereThePreviousTokenEnded) {
    const auto parsed = parse("{\n\"a\":1,\n\"b\"\n 2}"); // the 2 is on the fourth line
    ASSERT_EQ(errors(parsed->context).at(0), "expected ':'");
    const std::string expected = "lexing...\r\npakvue.config.json(3): error: expected ':'\r\n";
    EXPECT_EQ(parsed->context.formatMessages().substr(0, expected.size()), expected);
}

// Deep nesting would overflow the stack of the parser, the tree walk or the release of the
// tree; it is refused with one message instead.
TEST(Parser, RefusesNestingBeyondTheLimitWithOneMessage) {
    const std::string depthOk(maxNestingDepth - 1, '[');
    const auto shallow = parse(depthOk + std::string(maxNestingDepth - 1, ']'));
    EXPECT_TRUE(shallow->root);

    for (const std::string& text :
         {std::string(100'000, '[') + "1", std::string(100'000, '(') + "1",
          std::string(100'000, '!') + "1", "a" + std::string(100'000, '.') + "b",
          [] {
              std::string sum = "1";
              for (int i = 0; i < 50'000; ++i)
                  sum += " + 1";
              return sum;
          }(),
          [] {
              std::string chain = "a";
              for (int i = 0; i < 50'000; ++i)
                  chain += " = a";
              return chain;
          }()}) {
        const auto parsed = parse(text);
        EXPECT_FALSE(parsed->root);
        const auto reported = errors(parsed->context);
        ASSERT_FALSE(reported.empty());
        EXPECT_EQ(reported.back(), "nesting deeper than 200 levels") << text.substr(0, 20);
    }
}

TEST(Parser, UnquoteRemovesOnlyMatchingQuotes) {
    EXPECT_EQ(unquote(R"("a")"), "a");
    EXPECT_EQ(unquote("'a'"), "a");
    EXPECT_EQ(unquote("\"a'"), "\"a'");
    EXPECT_EQ(unquote("\""), "");
    EXPECT_EQ(unquote("''"), "");
    EXPECT_EQ(unquote("abc"), "abc");
    EXPECT_EQ(unquote(""), "");
}
