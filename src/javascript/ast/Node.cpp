#include "javascript/ast/Node.h"

#include "javascript/ast/Processor.h"

#include <algorithm>

namespace javascript::ast {

Node::Node(const Token& token, TokenKind kind, int depth) : Token(token), depth_(depth) {
    type = kind;
}

int Node::depthAbove(std::initializer_list<const Node*> children) {
    int deepest = 0;
    for (const Node* child : children)
        if (child != nullptr)
            deepest = std::max(deepest, child->depth());
    return deepest + 1;
}

int Node::depthAbove(const std::vector<NodePtr>& children) {
    int deepest = 0;
    for (const NodePtr& child : children)
        if (child)
            deepest = std::max(deepest, child->depth());
    return deepest + 1;
}

FunctionCallNode::FunctionCallNode(const Token& token, NodePtr callee, NodePtr member,
                                   std::vector<NodePtr> arguments)
    : Node(token, TokenKind::Ternary,
           std::max(depthAbove({callee.get(), member.get()}), depthAbove(arguments))),
      callee_(std::move(callee)), member_(std::move(member)), arguments_(std::move(arguments)) {}

ListNode::ListNode(const Token& token, std::vector<NodePtr> children)
    : Node(token, TokenKind::Unary, depthAbove(children)), children(std::move(children)) {}

void ConstantNode::accept(Processor& processor) {
    processor.process(*this);
}
void IdentifierNode::accept(Processor& processor) {
    processor.process(*this);
}
void ThisNode::accept(Processor& processor) {
    processor.process(*this);
}
void AssignmentNode::accept(Processor& processor) {
    processor.process(*this);
}
void ArrayNode::accept(Processor& processor) {
    processor.process(*this);
}
void ObjectNode::accept(Processor& processor) {
    processor.process(*this);
}

} // namespace javascript::ast
