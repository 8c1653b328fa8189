#include "javascript/Lexer.h"

#include "javascript/Characters.h"

#include <array>
#include <exception>

namespace javascript {

namespace {

constexpr std::string_view symbolCharacters = "(){}[]<>:;.,?!=+-*/%'\"~^&|";
constexpr std::string_view quoteCharacters = "'\"";
constexpr std::array<std::string_view, 12> compoundSymbols{
    "++", "--", "+=", "-=", "*=", "/=", "==", "!=", "<=", ">=", "&&", "||"};

bool isCompoundSymbol(char first, char second) {
    for (std::string_view symbol : compoundSymbols)
        if (symbol[0] == first && symbol[1] == second)
            return true;
    return false;
}

class Lexer {
public:
    Lexer(std::string_view text, ParseContext& context) : text_(text), context_(context) {}

    std::vector<LexToken> run();

private:
    bool atEnd() const { return index() >= text_.size(); }
    std::size_t index() const { return static_cast<std::size_t>(position_.index); }
    char peek(std::size_t ahead = 0) const {
        return index() + ahead < text_.size() ? text_[index() + ahead] : '\0';
    }
    void advance() { ++position_.index; }
    void newLine() { ++position_.line; }
    void syntaxError() { error("syntax error"); }
    void error(const char* text) { context_.addMessage(text, MessageSeverity::Error, position_); }

    // Reads one token or skips one run of white space or one comment; false stops the lexer.
    bool step();
    void skipWhiteSpace();
    void readWord();
    void readNumber();
    void readNumberCharacter(char c, bool& seenDot, bool& seenExponent, bool& seenSign,
                             bool& digitRequired);
    void readString();
    void readEscape(char quote);
    void readSymbol();
    void skipLineComment();
    void skipBlockComment();
    void emit();

    std::string_view text_;
    ParseContext& context_;
    SourcePosition position_{0, 0};
    LexToken pending_;
    std::vector<LexToken> tokens_;
};

std::vector<LexToken> Lexer::run() {
    context_.addMessage("lexing...", MessageSeverity::Info);
    // A configuration has about one token in five bytes; room for that many saves the copies of
    // a growing list.
    tokens_.reserve(text_.size() / 5);
    try {
        while (!atEnd() && step()) {
        }
        emit();
    } catch (const std::exception& e) {
        context_.addMessage(std::string("internal compiler error: ") + e.what(),
                            MessageSeverity::Info);
    }
    return std::move(tokens_);
}

bool Lexer::step() {
    const char c = peek();
    if (isSpace(c)) {
        skipWhiteSpace();
    } else if (isWordStart(c)) {
        readWord();
    } else if (isDigit(c)) {
        readNumber();
    } else if (quoteCharacters.find(c) != std::string_view::npos) {
        readString();
    } else if (symbolCharacters.find(c) != std::string_view::npos) {
        readSymbol();
    } else {
        syntaxError();
        return false;
    }
    return true;
}

void Lexer::skipWhiteSpace() {
    for (; !atEnd() && isSpace(peek()); advance())
        if (peek() == '\n')
            newLine();
}

void Lexer::readWord() {
    const std::size_t start = index();
    while (!atEnd() && (isWordStart(peek()) || isDigit(peek())))
        advance();
    pending_.text = text_.substr(start, index() - start);
    pending_.type = LexTokenType::Identifier;
    emit();
}

void Lexer::readNumber() {
    bool seenDot = false;
    bool seenExponent = false;
    bool seenSign = false;
    bool digitRequired = false;
    pending_.text = peek();
    advance();
    while (!atEnd()) {
        const char c = peek();
        if (isDigit(c)) {
            pending_.text += c;
            digitRequired = false;
            advance();
            continue;
        }
        if (digitRequired)
            syntaxError();
        if (c != '.' && c != 'e' && c != '+' && c != '-' && !isWordStart(c))
            break; // the byte ends the number and is left for the next token
        readNumberCharacter(c, seenDot, seenExponent, seenSign, digitRequired);
        advance();
    }
    pending_.type = seenDot ? LexTokenType::Real : LexTokenType::Integer;
    emit();
}

// A byte inside a number other than a digit: taken when it fits, otherwise reported and dropped.
void Lexer::readNumberCharacter(char c, bool& seenDot, bool& seenExponent, bool& seenSign,
                                bool& digitRequired) {
    bool take = false;
    if (c == '.') {
        take = !seenDot;
        if (take)
            seenDot = digitRequired = true;
    } else if (c == 'e') {
        take = !seenExponent;
        if (take) {
            seenExponent = true;
            digitRequired = false; // no digit is required after the marker
        }
    } else if (c == '+' || c == '-') {
        take = seenExponent && !seenSign;
        if (take)
            seenSign = digitRequired = true;
    }
    if (take)
        pending_.text += c;
    else
        syntaxError();
}

void Lexer::readString() {
    const char quote = peek();
    pending_.text = quote;
    pending_.type = LexTokenType::String;
    advance();
    while (!atEnd()) {
        const char c = peek();
        if (c == '\\') {
            advance();
            if (!atEnd())
                readEscape(quote);
            continue;
        }
        advance();
        if (c == '\n') {
            newLine(); // a raw line break is dropped from the string
        } else {
            pending_.text += c;
            if (c == quote)
                break;
        }
    }
    emit();
}

void Lexer::readEscape(char quote) {
    const char decoded = escapedCharacter(peek(), quote);
    if (decoded != '\0')
        pending_.text += decoded;
    else
        error("invalid escape sequence");
    advance();
}

void Lexer::readSymbol() {
    const char c = peek();
    const char next = peek(1);
    if (isCompoundSymbol(c, next)) {
        pending_.text = {c, next};
        advance();
        advance();
    } else if (c == '/' && next == '/') {
        skipLineComment();
        return;
    } else if (c == '/' && next == '*') {
        skipBlockComment();
        return;
    } else {
        pending_.text = c;
        advance();
    }
    pending_.type = LexTokenType::Symbol;
    emit();
}

void Lexer::skipLineComment() {
    while (!atEnd()) {
        const char c = peek();
        advance();
        if (c == '\n') {
            newLine();
            return;
        }
    }
}

void Lexer::skipBlockComment() {
    advance();
    advance();
    while (!atEnd()) {
        if (peek() == '*' && peek(1) == '/') {
            advance();
            advance();
            return;
        }
        if (peek() == '\n')
            newLine();
        advance();
    }
}

void Lexer::emit() {
    if (!pending_.text.empty())
        tokens_.push_back(std::move(pending_));
    pending_.position = position_;
    pending_.text.clear(); // valid but unspecified once moved from
}

} // namespace

std::vector<LexToken> tokenize(std::string_view text, ParseContext& context) {
    return Lexer(text, context).run();
}

} // namespace javascript
