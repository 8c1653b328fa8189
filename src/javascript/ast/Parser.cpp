#include "javascript/ast/Parser.h"

#include <array>

namespace javascript::ast {

namespace {

TokenKind kindOf(LexTokenType type) {
    switch (type) {
    case LexTokenType::Identifier:
        return TokenKind::Name;
    case LexTokenType::Symbol:
        return TokenKind::Operator;
    case LexTokenType::Integer:
        return TokenKind::Integer;
    case LexTokenType::Real:
        return TokenKind::Real;
    case LexTokenType::String:
        return TokenKind::String;
    default:
        return TokenKind::None;
    }
}

bool isOneOf(std::string_view id, std::initializer_list<std::string_view> ids) {
    for (std::string_view candidate : ids)
        if (id == candidate)
            return true;
    return false;
}

// A top-down operator-precedence parser driven by one table of rules: each token id has a
// prefix handler (nud), an infix handler (led) and the binding powers they use. After an error
// it goes on to the end of the expression so that later problems are reported too.
class Parser {
public:
    Parser(const std::vector<LexToken>& tokens, ParseContext& context);

    NodePtr parseProgram();

private:
    // A handler gets the token that selected it and the right binding power of its operand;
    // an infix handler also gets the expression on the token's left.
    using Prefix = NodePtr (Parser::*)(const Token& token, std::int32_t rightPower);
    using Infix = NodePtr (Parser::*)(const Token& token, NodePtr left, std::int32_t rightPower);

    // How the parser treats one token id. A token continues the expression on its left while its
    // left power exceeds the right power that expression is parsed with. The right powers are
    // those of the operand a handler parses last, which no closing token ends; they are 0 where
    // the handler has no such operand. A token without the handler a position needs is a syntax
    // error there.
    struct Rule {
        std::string_view id;
        Prefix prefix;
        Infix infix;
        std::int32_t leftPower;
        std::int32_t prefixRightPower;
        std::int32_t infixRightPower;
    };

    static const std::array<Rule, 46> rules;
    static const Rule unknownToken; // for tokens no rule names
    static const Rule* findRule(std::string_view id);
    static const Rule* ruleFor(const Token& token);

    void advance(std::string_view expected = {});
    NodePtr expression(std::int32_t rightPower);
    NodePtr nud(const Token& token, const Rule& rule);
    NodePtr led(const Token& token, const Rule& rule, NodePtr left);
    NodePtr unexpected(const Token& token);

    NodePtr keywordConstant(const Token& token, std::int32_t);
    NodePtr thisValue(const Token& token, std::int32_t);
    NodePtr identifier(const Token& token, std::int32_t);
    NodePtr literal(const Token& token, std::int32_t);
    NodePtr prefixOperator(const Token& token, std::int32_t rightPower);
    NodePtr group(const Token& token, std::int32_t);
    NodePtr arrayLiteral(const Token& token, std::int32_t);
    NodePtr objectLiteral(const Token& token, std::int32_t);

    NodePtr binaryOperator(const Token& token, NodePtr left, std::int32_t rightPower);
    NodePtr assignment(const Token& token, NodePtr target, std::int32_t rightPower);
    NodePtr postfixOperator(const Token& token, NodePtr operand, std::int32_t);
    NodePtr member(const Token& token, NodePtr object, std::int32_t);
    NodePtr subscript(const Token& token, NodePtr object, std::int32_t);
    NodePtr call(const Token& token, NodePtr callee, std::int32_t);
    NodePtr conditional(const Token& token, NodePtr condition, std::int32_t rightPower);

    std::vector<NodePtr> listUntil(std::string_view closing);
    bool nestedTooDeep(const NodePtr& node);
    void error(std::string message, std::int32_t index = -1);

    Token current_;
    const Rule* currentRule_ = &unknownToken;
    std::size_t next_ = 0;
    const std::vector<LexToken>& tokens_; // turned into the parser's tokens one at a time
    ParseContext& context_;
    int depth_ = 0;
    bool tooDeep_ = false; // once set, parsing winds down without further messages
};

// Looked up by a linear scan. Statement keywords have rows but no handlers, so they fail as
// syntax errors.
constexpr std::array<Parser::Rule, 46> Parser::rules{{
    // id, prefix handler, infix handler, left power, prefix right power, infix right power
    {"(end)", nullptr, nullptr, 0, 0, 0},
    {"(name)", &Parser::identifier, nullptr, 0, 0, 0},
    {"(literal)", &Parser::literal, nullptr, 0, 0, 0},
    {":", nullptr, nullptr, 0, 0, 0},
    {";", nullptr, nullptr, 0, 0, 0},
    {"(", &Parser::group, &Parser::call, 80, 0, 0},
    {")", nullptr, nullptr, 0, 0, 0},
    {"[", &Parser::arrayLiteral, &Parser::subscript, 80, 0, 0},
    {"]", nullptr, nullptr, 0, 0, 0},
    {"{", &Parser::objectLiteral, nullptr, 0, 0, 0},
    {"}", nullptr, nullptr, 0, 0, 0},
    {",", nullptr, nullptr, 0, 0, 0},
    {"=", nullptr, &Parser::assignment, 10, 0, 9},
    {"+=", nullptr, &Parser::assignment, 10, 0, 9},
    {"-=", nullptr, &Parser::assignment, 10, 0, 9},
    {"+", nullptr, &Parser::binaryOperator, 50, 0, 50},
    {"-", &Parser::prefixOperator, &Parser::binaryOperator, 50, 70, 50},
    {"*", nullptr, &Parser::binaryOperator, 60, 0, 60},
    {"/", nullptr, &Parser::binaryOperator, 60, 0, 60},
    {".", nullptr, &Parser::member, 80, 0, 0},
    {"!", &Parser::prefixOperator, nullptr, 0, 70, 0},
    {"++", &Parser::prefixOperator, &Parser::postfixOperator, 70, 70, 0},
    {"--", &Parser::prefixOperator, &Parser::postfixOperator, 70, 70, 0},
    {"?", nullptr, &Parser::conditional, 20, 0, 0},
    {"&&", nullptr, &Parser::binaryOperator, 30, 0, 29},
    {"||", nullptr, &Parser::binaryOperator, 30, 0, 29},
    {"==", nullptr, &Parser::binaryOperator, 40, 0, 39},
    {"!=", nullptr, &Parser::binaryOperator, 40, 0, 39},
    {"<", nullptr, &Parser::binaryOperator, 40, 0, 39},
    {"<=", nullptr, &Parser::binaryOperator, 40, 0, 39},
    {">", nullptr, &Parser::binaryOperator, 40, 0, 39},
    {">=", nullptr, &Parser::binaryOperator, 40, 0, 39},
    {"this", &Parser::thisValue, nullptr, 0, 0, 0},
    {"true", &Parser::keywordConstant, nullptr, 0, 0, 0},
    {"false", &Parser::keywordConstant, nullptr, 0, 0, 0},
    {"null", &Parser::keywordConstant, nullptr, 0, 0, 0},
    {"typeof", &Parser::prefixOperator, nullptr, 0, 70, 0},
    {"namespace", nullptr, nullptr, 0, 0, 0},
    {"function", nullptr, nullptr, 0, 0, 0},
    {"var", nullptr, nullptr, 0, 0, 0},
    {"if", nullptr, nullptr, 0, 0, 0},
    {"else", nullptr, nullptr, 0, 0, 0},
    {"while", nullptr, nullptr, 0, 0, 0},
    {"break", nullptr, nullptr, 0, 0, 0},
    {"continue", nullptr, nullptr, 0, 0, 0},
    {"return", nullptr, nullptr, 0, 0, 0},
}};

constexpr Parser::Rule Parser::unknownToken{"", nullptr, nullptr, 0, 0, 0};

const Parser::Rule* Parser::findRule(std::string_view id) {
    for (const Rule& rule : rules)
        if (rule.id == id)
            return &rule;
    return nullptr;
}

// Names that are not keywords and all literals share a rule; null when none fits.
const Parser::Rule* Parser::ruleFor(const Token& token) {
    switch (token.type) {
    case TokenKind::Name: {
        const Rule* keyword = findRule(token.value);
        return keyword != nullptr ? keyword : findRule("(name)");
    }
    case TokenKind::Operator:
        return findRule(token.value);
    case TokenKind::Integer:
    case TokenKind::Real:
    case TokenKind::String:
        return findRule("(literal)");
    default:
        return nullptr;
    }
}

Parser::Parser(const std::vector<LexToken>& tokens, ParseContext& context)
    : tokens_(tokens), context_(context) {}

NodePtr Parser::parseProgram() {
    advance();
    NodePtr root = expression(0);
    advance("(end)");
    return context_.hasError() ? nullptr : root;
}

void Parser::error(std::string message, std::int32_t index) {
    if (tooDeep_)
        return;
    if (message.empty())
        message = "syntax error : '" + current_.value + "'";
    context_.addMessage(std::move(message), MessageSeverity::Error,
                        {current_.position.line, index != -1 ? index : current_.position.index});
}

// A mismatch reports the expected id and consumes one token more. Past the last token the
// current token becomes "(end)" but keeps the text and position of the last one, so that errors
// there stand where the text ends.
void Parser::advance(std::string_view expected) {
    if (!expected.empty() && expected != current_.id) {
        error("expected '" + std::string(expected) + "'");
        advance();
    }
    if (next_ >= tokens_.size()) {
        currentRule_ = findRule("(end)");
        current_.id = currentRule_->id;
        current_.bindingPower = currentRule_->leftPower;
        return;
    }
    const LexToken& lexToken = tokens_[next_++];
    Token token;
    token.value = lexToken.text;
    token.type = kindOf(lexToken.type);
    token.position = lexToken.position;
    const Rule* rule = ruleFor(token);
    if (rule == nullptr) {
        error({}); // names the token before this one, which is still current
        rule = &unknownToken;
    }
    token.id = rule->id;
    token.bindingPower = rule->leftPower;
    current_ = std::move(token);
    currentRule_ = rule;
}

NodePtr Parser::expression(std::int32_t rightPower) {
    if (tooDeep_)
        return nullptr;
    if (++depth_ > maxNestingDepth) {
        nestedTooDeep(nullptr);
        --depth_;
        return nullptr;
    }
    Token token = current_;
    const Rule* rule = currentRule_;
    advance();
    NodePtr left = nud(token, *rule);
    while (!nestedTooDeep(left) && rightPower < currentRule_->leftPower) {
        token = current_;
        rule = currentRule_;
        advance();
        left = led(token, *rule, std::move(left));
    }
    --depth_;
    return left;
}

// Reports the first time the recursion or the tree grows past the limit; from then on the
// parser only consumes tokens.
bool Parser::nestedTooDeep(const NodePtr& node) {
    if (!tooDeep_ && (depth_ > maxNestingDepth || (node && node->depth() > maxNestingDepth))) {
        error("nesting deeper than " + std::to_string(maxNestingDepth) + " levels");
        tooDeep_ = true;
    }
    return tooDeep_;
}

NodePtr Parser::nud(const Token& token, const Rule& rule) {
    if (rule.prefix == nullptr)
        return unexpected(token);
    return (this->*rule.prefix)(token, rule.prefixRightPower);
}

// A failed operand is not reported again by the operator that follows it.
NodePtr Parser::led(const Token& token, const Rule& rule, NodePtr left) {
    if (!left)
        return nullptr;
    if (rule.infix == nullptr)
        return unexpected(token);
    return (this->*rule.infix)(token, std::move(left), rule.infixRightPower);
}

NodePtr Parser::unexpected(const Token& token) {
    error("syntax error: '" + token.id + "'");
    return nullptr;
}

NodePtr Parser::keywordConstant(const Token& token, std::int32_t) {
    return std::make_shared<ConstantNode>(token, TokenKind::Literal);
}

NodePtr Parser::thisValue(const Token& token, std::int32_t) {
    return std::make_shared<ThisNode>(token);
}

NodePtr Parser::identifier(const Token& token, std::int32_t) {
    return std::make_shared<IdentifierNode>(token);
}

NodePtr Parser::literal(const Token& token, std::int32_t) {
    return std::make_shared<ConstantNode>(token, token.type);
}

NodePtr Parser::prefixOperator(const Token& token, std::int32_t rightPower) {
    return std::make_shared<PrefixNode>(token, expression(rightPower));
}

// Parentheses leave no node of their own.
NodePtr Parser::group(const Token&, std::int32_t) {
    NodePtr inner = expression(0);
    advance(")");
    return inner;
}

// Expressions separated by commas up to `closing`, which is then consumed.
std::vector<NodePtr> Parser::listUntil(std::string_view closing) {
    std::vector<NodePtr> items;
    if (current_.id != closing) {
        for (;;) {
            items.push_back(expression(0));
            if (current_.id != ",")
                break;
            advance(",");
        }
    }
    advance(closing);
    return items;
}

NodePtr Parser::arrayLiteral(const Token& token, std::int32_t) {
    return std::make_shared<ArrayNode>(token, listUntil("]"));
}

// Any token is taken as a key: a string, a name, a number or a keyword.
NodePtr Parser::objectLiteral(const Token& token, std::int32_t) {
    std::vector<NodePtr> members;
    if (current_.id != "}") {
        for (;;) {
            const std::string key = current_.value;
            advance();
            advance(":");
            NodePtr value = expression(0);
            if (value)
                value->memberName = unquote(key);
            members.push_back(std::move(value));
            if (current_.id != ",")
                break;
            advance(",");
        }
    }
    advance("}");
    return std::make_shared<ObjectNode>(token, std::move(members));
}

NodePtr Parser::binaryOperator(const Token& token, NodePtr left, std::int32_t rightPower) {
    return std::make_shared<InfixNode>(token, std::move(left), expression(rightPower));
}

// Only names and element accesses can be assigned to.
NodePtr Parser::assignment(const Token& token, NodePtr target, std::int32_t rightPower) {
    if (target->id != "." && target->id != "[" && target->type != TokenKind::Name)
        error("bad l-value");
    return std::make_shared<AssignmentNode>(token, std::move(target), expression(rightPower));
}

NodePtr Parser::postfixOperator(const Token& token, NodePtr operand, std::int32_t) {
    return std::make_shared<PrefixNode>(token, std::move(operand));
}

// The property becomes a name node even when the token is not a name, after the report.
NodePtr Parser::member(const Token& token, NodePtr object, std::int32_t) {
    if (current_.type != TokenKind::Name)
        error("expected a property name");
    auto property = std::make_shared<IdentifierNode>(current_);
    advance();
    return std::make_shared<ElementAccessNode>(token, TokenKind::Literal, std::move(object),
                                               std::move(property));
}

NodePtr Parser::subscript(const Token& token, NodePtr object, std::int32_t) {
    NodePtr index = expression(0);
    advance("]");
    return std::make_shared<ElementAccessNode>(token, TokenKind::Infix, std::move(object),
                                               std::move(index));
}

// A call on an element access calls the access's member on its object.
NodePtr Parser::call(const Token& token, NodePtr callee, std::int32_t) {
    std::vector<NodePtr> arguments = listUntil(")");
    if (const auto* access = dynamic_cast<const ElementAccessNode*>(callee.get())) {
        return std::make_shared<FunctionCallNode>(token, access->left, access->right,
                                                  std::move(arguments));
    }
    if (callee->type != TokenKind::Name && !isOneOf(callee->id, {"(", "&&", "||", "?"}))
        error("expected a variable name.");
    return std::make_shared<FunctionCallNode>(token, std::move(callee), nullptr,
                                              std::move(arguments));
}

NodePtr Parser::conditional(const Token& token, NodePtr condition, std::int32_t rightPower) {
    NodePtr whenTrue = expression(0);
    advance(":");
    NodePtr whenFalse = expression(rightPower);
    return std::make_shared<InlineConditionalNode>(token, std::move(condition), std::move(whenTrue),
                                                   std::move(whenFalse));
}

} // namespace

NodePtr parseProgram(const std::vector<LexToken>& tokens, ParseContext& context) {
    return Parser(tokens, context).parseProgram();
}

std::string unquote(std::string_view text) {
    if (!text.empty() && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        return std::string(text.size() > 1 ? text.substr(1, text.size() - 2) : std::string_view{});
    return std::string(text);
}

} // namespace javascript::ast
