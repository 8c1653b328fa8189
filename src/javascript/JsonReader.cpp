#include "javascript/JsonReader.h"

#include "javascript/KeyPath.h"
#include "javascript/Lexer.h"
#include "javascript/PlainJsonReader.h"
#include "javascript/ast/JsonObjectGenerator.h"
#include "javascript/ast/Parser.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace javascript {

namespace {

// An index step's text as a position: decimal digits only, within 32 bits.
std::size_t indexOf(const std::string& text) {
    std::uint32_t position = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        throw std::invalid_argument("invalid index '" + text + "'.");
    return position;
}

std::shared_ptr<Value> step(const std::shared_ptr<Value>& value, const KeyPathStep& step) {
    const auto* array = dynamic_cast<const Array*>(value.get());
    const auto* object = dynamic_cast<const Object*>(value.get());
    if (step.kind == KeyPathStep::Kind::Name) {
        if (array != nullptr)
            throw std::invalid_argument("name access on an array.");
        if (object == nullptr)
            throw std::invalid_argument("invalid object type.");
        return object->get(step.text);
    }
    if (array != nullptr)
        return array->at(indexOf(step.text));
    if (object == nullptr)
        throw std::invalid_argument("invalid object type.");
    return object->memberAt(indexOf(step.text));
}

// Runs `lookup`; any std::exception turns into false.
template <typename Lookup>
bool attempt(Lookup lookup) {
    try {
        lookup();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

void JsonReader::load(const std::filesystem::path& fileName) {
    parse(readFile(fileName), fileName.string());
}

// Binary, so that positions in messages are the file's own bytes on every system; the lexer
// takes a carriage return for white space.
std::string JsonReader::readFile(const std::filesystem::path& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    std::string text(largestFile + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (text.size() > largestFile) {
        const std::u8string name = fileName.u8string();
        throw std::runtime_error("the configuration file \"" +
                                 std::string(name.begin(), name.end()) +
                                 "\" is larger than 1 MiB; it was not read.");
    }
    return text;
}

// Nearly every configuration is plain JSON, which is read in one pass; the full reader takes
// the rest and explains what is wrong.
void JsonReader::parse(std::string_view text, const std::string& sourceName) {
    if (auto plain = readPlainJson(text)) {
        root_ = std::move(plain);
        return;
    }
    ParseContext context(sourceName);
    const auto tokens = tokenize(text, context);
    const auto tree = ast::parseProgram(tokens, context);
    if (!tree)
        throw std::runtime_error("error parsing json:\r\n" + context.formatMessages());
    ast::JsonObjectGenerator generator;
    generator.process(tree);
    root_ = generator.result();
}

std::shared_ptr<Value> JsonReader::getValue(const std::shared_ptr<Value>& start,
                                            std::string_view path) {
    if (!start)
        throw std::invalid_argument("empty root node.");
    std::shared_ptr<Value> value = start;
    for (const KeyPathStep& keyStep : parseKeyPath(path))
        value = step(value, keyStep);
    return value;
}

std::shared_ptr<Value> JsonReader::getValue(std::string_view path) const {
    return getValue(root_, path);
}

bool JsonReader::tryGetValue(std::shared_ptr<Value>& out, const std::shared_ptr<Value>& start,
                             std::string_view path) {
    return attempt([&] { out = getValue(start, path); });
}

Array* JsonReader::getArray(const std::shared_ptr<Value>& start, std::string_view path) {
    return dynamic_cast<Array*>(getValue(start, path).get());
}

Array* JsonReader::getArray(std::string_view path) const {
    return getArray(root_, path);
}

double JsonReader::getNumber(const std::shared_ptr<Value>& start, std::string_view path) {
    return getValue(start, path)->get<double>();
}

std::string JsonReader::getString(const std::shared_ptr<Value>& start, std::string_view path) {
    return getValue(start, path)->get<std::string>();
}

bool JsonReader::tryGetBool(bool& out, const std::shared_ptr<Value>& start, std::string_view path) {
    return attempt([&] { out = getValue(start, path)->get<bool>(); });
}

bool JsonReader::tryGetNumber(double& out, const std::shared_ptr<Value>& start,
                              std::string_view path) {
    return attempt([&] { out = getNumber(start, path); });
}

bool JsonReader::tryGetString(std::string& out, const std::shared_ptr<Value>& start,
                              std::string_view path) {
    return attempt([&] { out = getString(start, path); });
}

bool JsonReader::tryGetString(std::string& out, std::string_view path) const {
    return tryGetString(out, root_, path);
}

} // namespace javascript
