#pragma once

#include "javascript/ast/Node.h"

namespace javascript::ast {

// Walks a syntax tree depth-first and calls enter and leave around every node of the classes
// it knows: literals and constants, names, `this` and assignments. Any other node is skipped
// with its whole subtree, which is what reduces a script to its JSON data.
class Processor {
public:
    virtual ~Processor() = default;

    // Hands `node` to its class's handler; a null node is skipped.
    void process(const NodePtr& node);

    virtual void process(AssignmentNode& node);
    virtual void process(ArrayNode& node);
    virtual void process(ObjectNode& node);
    virtual void process(ThisNode& node);
    virtual void process(IdentifierNode& node);
    virtual void process(ConstantNode& node);

    virtual void enter(AssignmentNode&) {}
    virtual void enter(ArrayNode&) {}
    virtual void enter(ObjectNode&) {}
    virtual void enter(ThisNode&) {}
    virtual void enter(IdentifierNode&) {}
    virtual void enter(ConstantNode&) {}

    virtual void leave(AssignmentNode&) {}
    virtual void leave(ArrayNode&) {}
    virtual void leave(ObjectNode&) {}
    virtual void leave(ThisNode&) {}
    virtual void leave(IdentifierNode&) {}
    virtual void leave(ConstantNode&) {}

private:
    template <typename Leaf>
    void visitLeaf(Leaf& node);
    template <typename List>
    void visitList(List& node);
};

} // namespace javascript::ast
