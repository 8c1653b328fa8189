#pragma once

#include "javascript/ParseContext.h"

#include <cstdint>
#include <string>

namespace javascript::ast {

// What a token is, and for a syntax-tree node, what kind of node it is.
enum class TokenKind : std::int32_t {
    Name = 0,
    Operator = 1,
    Integer = 2,
    Real = 3,
    String = 4,
    Literal = 5,
    Assignment = 10,
    This = 11,
    Unary = 12,
    Infix = 13,
    Ternary = 14,
    None = 15
};

// An entry of the parser's symbol table: an identity and its left binding power.
struct Symbol {
    std::string id;
    std::int32_t bindingPower = 0;
};

// A token as the parser sees it: its symbol, its source text (strings keep their quotes) and
// where it stands.
struct Token : Symbol {
    std::string value;
    TokenKind type = TokenKind::None;
    SourcePosition position{0, 0};
};

} // namespace javascript::ast
