#pragma once

#include "javascript/ast/Token.h"
#include "util/SharedPtrProvider.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace javascript::ast {

class Processor;
class Node;
using NodePtr = std::shared_ptr<Node>;

// A node of the syntax tree: the token that introduced it, with its kind in `type`.
class Node : public Token, public SharedPtrProvider<Node> {
public:
    Node(const Token& token, TokenKind kind, int depth = 1);
    virtual ~Node() = default;

    // Hands the node to the processor's handler for its class; nodes a processor does not
    // know are skipped with their whole subtree.
    virtual void accept(Processor&) {}

    // The levels of nodes from here down to the deepest leaf. The parser keeps it bounded,
    // so that walking and releasing the tree cannot exhaust the stack.
    int depth() const { return depth_; }

    // Set on the value of an object literal's member: its key, unquoted.
    std::string memberName;

protected:
    // One more than the deepest of `children` (null children count as nothing).
    static int depthAbove(std::initializer_list<const Node*> children);
    static int depthAbove(const std::vector<NodePtr>& children);

private:
    int depth_;
};

// A string, number, true, false or null.
class ConstantNode final : public Node {
public:
    ConstantNode(const Token& token, TokenKind kind) : Node(token, kind) {}
    void accept(Processor& processor) override;
};

class IdentifierNode final : public Node {
public:
    explicit IdentifierNode(const Token& token) : Node(token, TokenKind::Name) {}
    void accept(Processor& processor) override;
};

class ThisNode final : public Node {
public:
    explicit ThisNode(const Token& token) : Node(token, TokenKind::This) {}
    void accept(Processor& processor) override;
};

// A prefix operator, or a postfix ++ or --.
class PrefixNode final : public Node {
public:
    PrefixNode(const Token& token, NodePtr operand)
        : Node(token, TokenKind::Unary, depthAbove({operand.get()})), operand_(std::move(operand)) {
    }

private:
    NodePtr operand_;
};

// A node with two operands: an infix operator, an assignment or an element access.
class BinaryNode : public Node {
public:
    BinaryNode(const Token& token, TokenKind kind, NodePtr left, NodePtr right)
        : Node(token, kind, depthAbove({left.get(), right.get()})), left(std::move(left)),
          right(std::move(right)) {}

    const NodePtr left;
    const NodePtr right;
};

class InfixNode final : public BinaryNode {
public:
    InfixNode(const Token& token, NodePtr left, NodePtr right)
        : BinaryNode(token, TokenKind::Infix, std::move(left), std::move(right)) {}
};

class AssignmentNode final : public BinaryNode {
public:
    AssignmentNode(const Token& token, NodePtr target, NodePtr value)
        : BinaryNode(token, TokenKind::Assignment, std::move(target), std::move(value)) {}
    void accept(Processor& processor) override;
};

// `object.name` (kind Literal) or `object[index]` (kind Infix).
class ElementAccessNode final : public BinaryNode {
public:
    using BinaryNode::BinaryNode;
};

class FunctionCallNode final : public Node {
public:
    FunctionCallNode(const Token& token, NodePtr callee, NodePtr member,
                     std::vector<NodePtr> arguments);

private:
    NodePtr callee_;
    NodePtr member_; // set when the callee is an element access: then `callee_` is its object
    std::vector<NodePtr> arguments_;
};

class InlineConditionalNode final : public Node {
public:
    InlineConditionalNode(const Token& token, NodePtr condition, NodePtr whenTrue,
                          NodePtr whenFalse)
        : Node(token, TokenKind::Ternary,
               depthAbove({condition.get(), whenTrue.get(), whenFalse.get()})),
          condition_(std::move(condition)), whenTrue_(std::move(whenTrue)),
          whenFalse_(std::move(whenFalse)) {}

private:
    NodePtr condition_;
    NodePtr whenTrue_;
    NodePtr whenFalse_;
};

// An array or object literal: its elements or member values, in order.
class ListNode : public Node {
public:
    ListNode(const Token& token, std::vector<NodePtr> children);

    const std::vector<NodePtr> children;
};

class ArrayNode final : public ListNode {
public:
    using ListNode::ListNode;
    void accept(Processor& processor) override;
};

class ObjectNode final : public ListNode {
public:
    using ListNode::ListNode;
    void accept(Processor& processor) override;
};

} // namespace javascript::ast
