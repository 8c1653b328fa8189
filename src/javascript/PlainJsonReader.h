#pragma once

#include "javascript/Value.h"

#include <memory>
#include <string_view>

namespace javascript {

// Reads a text that is one plain JSON object straight into a value tree, in one pass and
// without tokens or a syntax tree: keys are strings; values are strings, unsigned numbers,
// true, false, null, arrays and objects; white space and comments may stand between them. For
// such a text the tree equals the one the lexer, the parser and the generator build. Any other
// text, every text with an error among them, gives null: the caller then takes the full reader,
// which builds its tree or reports its messages.
std::shared_ptr<Object> readPlainJson(std::string_view text);

} // namespace javascript
