#include "javascript/PlainJsonReader.h"

#include "javascript/Characters.h"
#include "javascript/ast/JsonObjectGenerator.h"

namespace javascript {

namespace {

// Well inside the parser's limit, so that no text read here would be refused there.
constexpr int deepestNesting = 100;

bool isWordCharacter(char c) {
    return isWordStart(c) || isDigit(c);
}

// Each read function starts at the first byte of its value and returns null, or false, as soon
// as the text leaves the plain form.
class PlainJsonReader {
public:
    explicit PlainJsonReader(std::string_view text) : text_(text) {}

    std::shared_ptr<Object> document();

private:
    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[position_]; }
    // Skips white space and comments, then takes `expected` when it comes next.
    bool take(char expected);
    void skipSpace();
    void skipComment();

    std::shared_ptr<Value> value();
    std::shared_ptr<Object> object();
    std::shared_ptr<Array> array();
    bool members(Object& object);
    bool elements(Array& array);
    bool string(std::string& out);
    bool escape(char quote, std::string& out);
    std::shared_ptr<Value> number();
    std::shared_ptr<Value> keyword();
    std::size_t skipDigits();

    std::string_view text_;
    std::size_t position_ = 0;
    int depth_ = 0;
    // The members and elements read so far of the containers open, innermost last: a container
    // takes its own when it closes, in one allocation of the right size.
    std::vector<std::pair<std::string, std::shared_ptr<Value>>> members_;
    std::vector<std::shared_ptr<Value>> elements_;
};

std::shared_ptr<Object> PlainJsonReader::document() {
    skipSpace();
    if (peek() != '{')
        return nullptr;
    auto root = object();
    skipSpace();
    return atEnd() ? root : nullptr;
}

bool PlainJsonReader::take(char expected) {
    skipSpace();
    if (peek() != expected)
        return false;
    ++position_;
    return true;
}

void PlainJsonReader::skipSpace() {
    for (;;) {
        while (isSpace(peek()))
            ++position_;
        if (peek() != '/' || position_ + 1 >= text_.size())
            return;
        const char next = text_[position_ + 1];
        if (next != '/' && next != '*')
            return;
        skipComment();
    }
}

// A block comment without its end runs to the end of the text, as in the lexer.
void PlainJsonReader::skipComment() {
    const bool line = text_[position_ + 1] == '/';
    const std::size_t end =
        line ? text_.find('\n', position_ + 2) : text_.find("*/", position_ + 2);
    position_ = end == std::string_view::npos ? text_.size() : end + (line ? 1 : 2);
}

std::shared_ptr<Value> PlainJsonReader::value() {
    skipSpace();
    const char c = peek();
    if (c == '{')
        return object();
    if (c == '[')
        return array();
    if (c == '"' || c == '\'') {
        std::string text;
        return string(text) ? std::make_shared<String>(std::move(text)) : nullptr;
    }
    if (isDigit(c))
        return number();
    if (isWordStart(c))
        return keyword();
    return nullptr;
}

std::shared_ptr<Object> PlainJsonReader::object() {
    auto object = std::make_shared<Object>();
    ++position_;
    const bool read = ++depth_ <= deepestNesting && members(*object);
    --depth_;
    return read ? object : nullptr;
}

std::shared_ptr<Array> PlainJsonReader::array() {
    auto array = std::make_shared<Array>();
    ++position_;
    const bool read = ++depth_ <= deepestNesting && elements(*array);
    --depth_;
    return read ? array : nullptr;
}

bool PlainJsonReader::members(Object& object) {
    const std::size_t first = members_.size();
    if (!take('}')) {
        do {
            std::string name;
            skipSpace();
            if ((peek() != '"' && peek() != '\'') || !string(name) || !take(':'))
                return false;
            auto member = value();
            if (!member)
                return false;
            members_.emplace_back(std::move(name), std::move(member));
        } while (take(','));
        if (!take('}'))
            return false;
    }
    object.reserve(members_.size() - first);
    for (auto member = members_.begin() + first; member != members_.end(); ++member)
        object.set(std::move(member->first), std::move(member->second));
    members_.resize(first);
    return true;
}

bool PlainJsonReader::elements(Array& array) {
    const std::size_t first = elements_.size();
    if (!take(']')) {
        do {
            auto element = value();
            if (!element)
                return false;
            elements_.push_back(std::move(element));
        } while (take(','));
        if (!take(']'))
            return false;
    }
    array.reserve(elements_.size() - first);
    for (auto element = elements_.begin() + first; element != elements_.end(); ++element)
        array.push(std::move(*element));
    elements_.resize(first);
    return true;
}

// The lexer drops a raw line break inside a string; so does this.
bool PlainJsonReader::string(std::string& out) {
    const char quote = text_[position_++];
    for (;;) {
        std::size_t stop = position_;
        while (stop < text_.size() && text_[stop] != quote && text_[stop] != '\\' &&
               text_[stop] != '\n')
            ++stop;
        if (stop == text_.size())
            return false;
        out.append(text_.substr(position_, stop - position_));
        position_ = stop + 1;
        if (text_[stop] == quote)
            return true;
        if (text_[stop] == '\\' && !escape(quote, out))
            return false;
    }
}

bool PlainJsonReader::escape(char quote, std::string& out) {
    const char decoded = escapedCharacter(peek(), quote);
    if (atEnd() || decoded == '\0')
        return false;
    out += decoded;
    ++position_;
    return true;
}

// Digits with an optional fraction and exponent, each with at least one digit, so that the
// lexer would take the same bytes without a message. Whatever follows is checked as the next
// token: only white space, a comment, a comma or a closing bracket may.
std::shared_ptr<Value> PlainJsonReader::number() {
    const std::size_t start = position_;
    skipDigits();
    if (peek() == '.') {
        ++position_;
        if (skipDigits() == 0)
            return nullptr;
    }
    if (peek() == 'e') {
        ++position_;
        if (peek() == '+' || peek() == '-')
            ++position_;
        if (skipDigits() == 0)
            return nullptr;
    }
    return std::make_shared<Number>(ast::numberValue(text_.substr(start, position_ - start)));
}

// null reads as false, as in the generator.
std::shared_ptr<Value> PlainJsonReader::keyword() {
    const std::size_t start = position_;
    while (isWordCharacter(peek()))
        ++position_;
    const std::string_view word = text_.substr(start, position_ - start);
    if (word == "true" || word == "false" || word == "null")
        return std::make_shared<Boolean>(word == "true");
    return nullptr;
}

std::size_t PlainJsonReader::skipDigits() {
    const std::size_t start = position_;
    while (isDigit(peek()))
        ++position_;
    return position_ - start;
}

} // namespace

std::shared_ptr<Object> readPlainJson(std::string_view text) {
    return PlainJsonReader(text).document();
}

} // namespace javascript
