#pragma once

#include "javascript/Value.h"
#include "javascript/ast/Processor.h"

#include <memory>
#include <string_view>
#include <vector>

namespace javascript::ast {

// Builds the value tree from a syntax tree: object and array literals become Objects and
// Arrays, string, number and keyword constants become primitives (null reads as false), and
// everything else is left out without a message. The root is the first object literal met.
class JsonObjectGenerator final : public Processor {
public:
    using Processor::process;

    void enter(ArrayNode& node) override;
    void enter(ObjectNode& node) override;
    void leave(ArrayNode& node) override;
    void leave(ObjectNode& node) override;
    void leave(ConstantNode& node) override;

    // The root object, or nothing when the document held no object literal.
    std::shared_ptr<Value> result() const { return root_; }

private:
    void open(const std::string& name, const std::shared_ptr<Value>& container);
    void add(const std::string& name, std::shared_ptr<Value> value);

    std::vector<std::shared_ptr<Value>> open_; // the containers being filled, innermost last
    std::shared_ptr<Value> root_;
};

// The number a lexer number text stands for; a text with a dangling exponent marker ("1e")
// reads as its leading number.
double numberValue(std::string_view text);

} // namespace javascript::ast
