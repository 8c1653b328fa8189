#include "javascript/ast/Parser.h"

#include <array>

namespace javascript::ast {

namespace {

struct SymbolEntry {
    std::string_view id;
    std::int32_t bindingPower;
};

// Looked up by a linear scan, first match. Statement keywords have entries but no handlers, so
// they fail as syntax errors.
constexpr std::array<SymbolEntry, 46> symbolTable{{
    {"(end)", 0},  {"(name)", 0},    {"(literal)", 0}, {":", 0},      {";", 0},     {"(", 80},
    {")", 0},      {"[", 80},        {"]", 0},         {"{", 0},      {"}", 0},     {",", 0},
    {"=", 10},     {"+=", 10},       {"-=", 10},       {"+", 50},     {"-", 50},    {"*", 60},
    {"/", 60},     {".", 80},        {"!", 0},         {"++", 70},    {"--", 70},   {"?", 20},
    {"&&", 30},    {"||", 30},       {"==", 40},       {"!=", 40},    {"<", 40},    {"<=", 40},
    {">", 40},     {">=", 40},       {"this", 0},      {"true", 0},   {"false", 0}, {"null", 0},
    {"typeof", 0}, {"namespace", 0}, {"function", 0},  {"var", 0},    {"if", 0},    {"else", 0},
    {"while", 0},  {"break", 0},     {"continue", 0},  {"return", 0},
}};

const SymbolEntry* findSymbol(std::string_view id) {
    for (const SymbolEntry& entry : symbolTable) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

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
    for (std::string_view candidate : ids) {
        if (id == candidate) {
            return true;
        }
    }
    return false;
}

// A top-down operator-precedence parser: each token's symbol has a left binding power, and
// parsing is driven by its prefix handler (nud) and infix handler (led). After an error it goes
// on to the end of the expression so that later problems are reported too.
class Parser {
public:
    Parser(const std::vector<LexToken>& tokens, ParseContext& context);

    NodePtr parseProgram();

private:
    void advance(std::string_view expected = {});
    NodePtr expression(std::int32_t rightPower);
    NodePtr nud(const Token& token);
    NodePtr led(const Token& token, NodePtr left);
    NodePtr arrayLiteral(const Token& token);
    NodePtr objectLiteral(const Token& token);
    NodePtr call(const Token& token, NodePtr callee);
    std::vector<NodePtr> listUntil(std::string_view closing);
    bool nestedTooDeep(const NodePtr& node);
    void error(std::string message, std::int32_t index = -1);

    Token current_;
    std::size_t next_ = 0;
    std::vector<Token> tokens_;
    ParseContext& context_;
    int depth_ = 0;
    bool tooDeep_ = false; // once set, parsing winds down without further messages
};

Parser::Parser(const std::vector<LexToken>& tokens, ParseContext& context) : context_(context) {
    tokens_.reserve(tokens.size());
    for (const LexToken& lexToken : tokens) {
        Token token;
        token.value = lexToken.text;
        token.type = kindOf(lexToken.type);
        token.position = lexToken.position;
        tokens_.push_back(std::move(token));
    }
}

NodePtr Parser::parseProgram() {
    advance();
    NodePtr root = expression(0);
    advance("(end)");
    return context_.hasError() ? nullptr : root;
}

void Parser::error(std::string message, std::int32_t index) {
    if (tooDeep_) {
        return;
    }
    if (message.empty()) {
        message = "syntax error : '" + current_.value + "'";
    }
    context_.addMessage(std::move(message), MessageSeverity::Error,
                        {current_.position.line, index != -1 ? index : current_.position.index});
}

// A mismatch reports the expected id and consumes one token more.
void Parser::advance(std::string_view expected) {
    if (!expected.empty() && expected != current_.id) {
        error("expected '" + std::string(expected) + "'");
        advance();
    }
    if (next_ >= tokens_.size()) {
        current_.id = "(end)";
        current_.bindingPower = 0;
        return;
    }
    Token token = std::move(tokens_[next_++]);
    const SymbolEntry* symbol = nullptr;
    switch (token.type) {
    case TokenKind::Name:
        symbol = findSymbol(token.value);
        symbol = symbol != nullptr ? symbol : findSymbol("(name)");
        break;
    case TokenKind::Operator:
        symbol = findSymbol(token.value);
        break;
    case TokenKind::Integer:
    case TokenKind::Real:
    case TokenKind::String:
        symbol = findSymbol("(literal)");
        break;
    default:
        break;
    }
    if (symbol == nullptr) {
        error({}); // names the token before this one, which is still current
    }
    token.id = symbol != nullptr ? symbol->id : std::string_view{};
    token.bindingPower = symbol != nullptr ? symbol->bindingPower : 0;
    current_ = std::move(token);
}

NodePtr Parser::expression(std::int32_t rightPower) {
    if (tooDeep_) {
        return nullptr;
    }
    if (++depth_ > maxNestingDepth) {
        nestedTooDeep(nullptr);
        --depth_;
        return nullptr;
    }
    Token token = current_;
    advance();
    NodePtr left = nud(token);
    while (!nestedTooDeep(left) && rightPower < current_.bindingPower) {
        token = current_;
        advance();
        left = led(token, std::move(left));
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

NodePtr Parser::nud(const Token& token) {
    const std::string& id = token.id;
    if (isOneOf(id, {"true", "false", "null"})) {
        return std::make_shared<ConstantNode>(token, TokenKind::Literal);
    }
    if (id == "this") {
        return std::make_shared<ThisNode>(token);
    }
    if (isOneOf(id, {"!", "-", "typeof", "++", "--"})) {
        return std::make_shared<PrefixNode>(token, expression(70));
    }
    if (id == "(") {
        NodePtr inner = expression(0);
        advance(")");
        return inner; // parentheses leave no node of their own
    }
    if (id == "[") {
        return arrayLiteral(token);
    }
    if (id == "{") {
        return objectLiteral(token);
    }
    if (id == "(name)") {
        return std::make_shared<IdentifierNode>(token);
    }
    if (id == "(literal)") {
        return std::make_shared<ConstantNode>(token, token.type);
    }
    error("syntax error: '" + id + "'");
    return nullptr;
}

// Expressions separated by commas up to `closing`, which is then consumed.
std::vector<NodePtr> Parser::listUntil(std::string_view closing) {
    std::vector<NodePtr> items;
    if (current_.id != closing) {
        for (;;) {
            items.push_back(expression(0));
            if (current_.id != ",") {
                break;
            }
            advance(",");
        }
    }
    advance(closing);
    return items;
}

NodePtr Parser::arrayLiteral(const Token& token) {
    return std::make_shared<ArrayNode>(token, listUntil("]"));
}

// Any token is taken as a key: a string, a name, a number or a keyword.
NodePtr Parser::objectLiteral(const Token& token) {
    std::vector<NodePtr> members;
    if (current_.id != "}") {
        for (;;) {
            const std::string key = current_.value;
            advance();
            advance(":");
            NodePtr value = expression(0);
            if (value) {
                value->memberName = unquote(key);
            }
            members.push_back(std::move(value));
            if (current_.id != ",") {
                break;
            }
            advance(",");
        }
    }
    advance("}");
    return std::make_shared<ObjectNode>(token, std::move(members));
}

NodePtr Parser::led(const Token& token, NodePtr left) {
    if (!left) {
        return nullptr;
    }
    const std::string& id = token.id;
    if (isOneOf(id, {"+", "-"})) {
        return std::make_shared<InfixNode>(token, std::move(left), expression(50));
    }
    if (isOneOf(id, {"*", "/"})) {
        return std::make_shared<InfixNode>(token, std::move(left), expression(60));
    }
    if (isOneOf(id, {"&&", "||"})) {
        return std::make_shared<InfixNode>(token, std::move(left), expression(29));
    }
    if (isOneOf(id, {"==", "!=", "<", "<=", ">", ">="})) {
        return std::make_shared<InfixNode>(token, std::move(left), expression(39));
    }
    if (isOneOf(id, {"=", "+=", "-="})) {
        if (left->id != "." && left->id != "[" && left->type != TokenKind::Name) {
            error("bad l-value");
        }
        return std::make_shared<AssignmentNode>(token, std::move(left), expression(9));
    }
    if (isOneOf(id, {"++", "--"})) {
        return std::make_shared<PrefixNode>(token, std::move(left));
    }
    if (id == ".") {
        if (current_.type != TokenKind::Name) {
            error("expected a property name");
        }
        auto property = std::make_shared<IdentifierNode>(current_);
        advance();
        return std::make_shared<ElementAccessNode>(token, TokenKind::Literal, std::move(left),
                                                   std::move(property));
    }
    if (id == "[") {
        NodePtr index = expression(0);
        advance("]");
        return std::make_shared<ElementAccessNode>(token, TokenKind::Infix, std::move(left),
                                                   std::move(index));
    }
    if (id == "(") {
        return call(token, std::move(left));
    }
    if (id == "?") {
        NodePtr whenTrue = expression(0);
        advance(":");
        NodePtr whenFalse = expression(0);
        return std::make_shared<InlineConditionalNode>(token, std::move(left), std::move(whenTrue),
                                                       std::move(whenFalse));
    }
    error("syntax error: '" + id + "'");
    return nullptr;
}

// A call on an element access calls the access's member on its object.
NodePtr Parser::call(const Token& token, NodePtr callee) {
    std::vector<NodePtr> arguments = listUntil(")");
    if (const auto* access = dynamic_cast<const ElementAccessNode*>(callee.get())) {
        return std::make_shared<FunctionCallNode>(token, access->left, access->right,
                                                  std::move(arguments));
    }
    if (callee->type != TokenKind::Name && !isOneOf(callee->id, {"(", "&&", "||", "?"})) {
        error("expected a variable name.");
    }
    return std::make_shared<FunctionCallNode>(token, std::move(callee), nullptr,
                                              std::move(arguments));
}

} // namespace

NodePtr parseProgram(const std::vector<LexToken>& tokens, ParseContext& context) {
    return Parser(tokens, context).parseProgram();
}

std::string unquote(std::string_view text) {
    if (!text.empty() && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        return std::string(text.size() > 1 ? text.substr(1, text.size() - 2) : std::string_view{});
    }
    return std::string(text);
}

} // namespace javascript::ast
