#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace javascript {

// One step of a key path: a member name, or a position in brackets.
struct KeyPathStep {
    enum class Kind : std::int32_t { Name = 0, Index = 1 };
    Kind kind;
    std::string text;

    friend bool operator==(const KeyPathStep&, const KeyPathStep&) = default;
};

using KeyPath = std::vector<KeyPathStep>;

// Splits "a.b[2].c" into Name a, Name b, Index 2, Name c. Quotes inside brackets are removed.
// Throws std::invalid_argument("invalid key path") for two dots in a row or a "[" without "]".
KeyPath parseKeyPath(std::string_view path);

} // namespace javascript
