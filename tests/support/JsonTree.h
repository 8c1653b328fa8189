#pragma once

#include "javascript/Value.h"

#include <memory>
#include <string>
#include <string_view>

namespace test {

// The tree the lexer, the parser and the generator build, or null when they report an error:
// what the one-pass reader of plain JSON must agree with.
std::shared_ptr<javascript::Value> readFully(std::string_view text);

// A tree as text, with member names, strings quoted and numbers in full precision.
std::string describe(const std::shared_ptr<javascript::Value>& value);

} // namespace test
