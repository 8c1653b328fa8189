#include "javascript/KeyPath.h"

#include "javascript/ast/Parser.h"

#include <stdexcept>

namespace javascript {

namespace {

[[noreturn]] void invalidKeyPath() {
    throw std::invalid_argument("invalid key path");
}

} // namespace

KeyPath parseKeyPath(std::string_view path) {
    KeyPath steps;
    std::string_view rest = path;
    while (!rest.empty()) {
        if (rest.front() == '[') {
            const std::size_t close = rest.find(']');
            if (close == std::string_view::npos)
                invalidKeyPath();
            steps.push_back({KeyPathStep::Kind::Index, ast::unquote(rest.substr(1, close - 1))});
            rest.remove_prefix(close + 1);
            continue;
        }
        if (rest.front() == '.')
            rest.remove_prefix(1);
        const std::size_t end = rest.find_first_of(".[");
        if (end == 0 && rest.front() == '.')
            invalidKeyPath(); // two dots in a row
        if (end == 0)
            continue; // the bracket is read next
        steps.push_back({KeyPathStep::Kind::Name, std::string(rest.substr(0, end))});
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
    return steps;
}

} // namespace javascript
