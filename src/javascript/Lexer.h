#pragma once

#include "javascript/ParseContext.h"

#include <string>
#include <string_view>
#include <vector>

namespace javascript {

enum class LexTokenType : std::int32_t {
    Identifier = 1,
    Integer = 2,
    Real = 3,
    String = 4,
    Symbol = 5,
    None = 6
};

// A token's position is where the previous token ended (the start of the text for the first),
// so a token after a line break reports the line of the token before it.
struct LexToken {
    std::string text;
    LexTokenType type = LexTokenType::None;
    SourcePosition position{0, 0};
};

// Cuts `text` into tokens. Problems go to `context`; "lexing..." is always its first message.
// Never throws.
std::vector<LexToken> tokenize(std::string_view text, ParseContext& context);

} // namespace javascript
