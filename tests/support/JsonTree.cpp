#include "support/JsonTree.h"

#include "javascript/Lexer.h"
#include "javascript/ast/JsonObjectGenerator.h"
#include "javascript/ast/Parser.h"

#include <cstdio>

namespace test {

using namespace javascript;

std::shared_ptr<Value> readFully(std::string_view text) {
    ParseContext context("test.json");
    const auto tree = ast::parseProgram(tokenize(text, context), context);
    if (!tree)
        return nullptr;
    ast::JsonObjectGenerator generator;
    generator.process(tree);
    return generator.result();
}

std::string describe(const std::shared_ptr<Value>& value) {
    if (!value)
        return "null";
    if (const auto* array = dynamic_cast<const Array*>(value.get())) {
        std::string text = "[";
        for (const auto& element : array->elements())
            text += describe(element) + ",";
        return text + "]";
    }
    if (const auto* object = dynamic_cast<const Object*>(value.get())) {
        std::string text = "{";
        for (std::size_t i = 0; i < object->memberCount(); ++i)
            text += "'" + object->nameAt(i) + "':" + describe(object->memberAt(i)) + ",";
        return text + "}";
    }
    if (dynamic_cast<const Boolean*>(value.get()))
        return value->get<bool>() ? "true" : "false";
    if (dynamic_cast<const Number*>(value.get())) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%.17g", value->get<double>());
        return digits;
    }
    return "'" + value->get<std::string>() + "'";
}

} // namespace test
