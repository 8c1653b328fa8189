#pragma once

#include "javascript/Lexer.h"
#include "javascript/ast/Node.h"

#include <string>
#include <string_view>
#include <vector>

namespace javascript::ast {

// How deeply literals and expressions may nest. Configurations need a handful of levels; the
// limit keeps a hostile text from exhausting the stack of the parser or of whatever walks or
// releases the tree.
constexpr int maxNestingDepth = 200;

// Parses the whole token list as one expression (normally an object literal). Returns the root
// of the syntax tree, or null when any error was reported into `context`.
NodePtr parseProgram(const std::vector<LexToken>& tokens, ParseContext& context);

// The text between matching single or double quotes at both ends; otherwise the text itself.
std::string unquote(std::string_view text);

} // namespace javascript::ast
