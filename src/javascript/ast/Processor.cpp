#include "javascript/ast/Processor.h"

namespace javascript::ast {

void Processor::process(const NodePtr& node) {
    if (node)
        node->accept(*this);
}

template <typename Leaf>
void Processor::visitLeaf(Leaf& node) {
    enter(node);
    leave(node);
}

template <typename List>
void Processor::visitList(List& node) {
    enter(node);
    for (const NodePtr& child : node.children)
        process(child);
    leave(node);
}

void Processor::process(AssignmentNode& node) {
    enter(node);
    process(node.left);
    process(node.right);
    leave(node);
}

void Processor::process(ArrayNode& node) {
    visitList(node);
}
void Processor::process(ObjectNode& node) {
    visitList(node);
}
void Processor::process(ThisNode& node) {
    visitLeaf(node);
}
void Processor::process(IdentifierNode& node) {
    visitLeaf(node);
}
void Processor::process(ConstantNode& node) {
    visitLeaf(node);
}

} // namespace javascript::ast
