#include "javascript/ast/JsonObjectGenerator.h"

#include "javascript/ast/Parser.h"

#include <charconv>
#include <limits>

namespace javascript::ast {

// A container has room for all its children at once; the few that are left out (expressions)
// cost only their slots.
void JsonObjectGenerator::enter(ArrayNode& node) {
    const auto array = std::make_shared<Array>();
    array->reserve(node.children.size());
    open(node.memberName, array);
}

void JsonObjectGenerator::enter(ObjectNode& node) {
    const auto object = std::make_shared<Object>();
    object->reserve(node.children.size());
    if (!root_)
        root_ = object;
    open(node.memberName, object);
}

void JsonObjectGenerator::leave(ArrayNode&) {
    open_.pop_back();
}

void JsonObjectGenerator::leave(ObjectNode&) {
    open_.pop_back();
}

void JsonObjectGenerator::leave(ConstantNode& node) {
    switch (node.type) {
    case TokenKind::Integer:
    case TokenKind::Real:
        add(node.memberName, std::make_shared<Number>(numberValue(node.value)));
        break;
    case TokenKind::String:
        add(node.memberName, std::make_shared<String>(unquote(node.value)));
        break;
    case TokenKind::Literal:
        add(node.memberName, std::make_shared<Boolean>(node.value == "true"));
        break;
    default:
        break;
    }
}

void JsonObjectGenerator::open(const std::string& name, const std::shared_ptr<Value>& container) {
    add(name, container);
    open_.push_back(container);
}

// A value outside every container (the outermost one, or a lone constant) is stored nowhere.
void JsonObjectGenerator::add(const std::string& name, std::shared_ptr<Value> value) {
    if (open_.empty())
        return;
    Value* container = open_.back().get();
    if (auto* array = dynamic_cast<Array*>(container))
        array->push(std::move(value));
    else if (auto* object = dynamic_cast<Object*>(container))
        object->set(name, std::move(value));
}

double numberValue(std::string_view text) {
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // Too large reads as the largest number, too small as zero, as a stream would read it.
        const bool tiny = text.find("e-") != std::string_view::npos;
        return tiny ? 0.0 : std::numeric_limits<double>::max();
    }
    return value;
}

} // namespace javascript::ast
