// Feeds arbitrary bytes to the configuration reader. The first line of an input is a key path,
// the rest the document; a document that parses is then looked up along that path and through
// every typed form, the way the loader reads a configuration.

#include "javascript/JsonReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void lookUp(const std::shared_ptr<javascript::Value>& start, std::string_view path) {
    using javascript::JsonReader;
    std::shared_ptr<javascript::Value> value;
    JsonReader::tryGetValue(value, start, path);
    bool flag = false;
    double number = 0.0;
    std::string text;
    JsonReader::tryGetBool(flag, start, path);
    JsonReader::tryGetNumber(number, start, path);
    JsonReader::tryGetString(text, start, path);
    try {
        if (const auto* array = JsonReader::getArray(start, path))
            for (const auto& element : array->elements())
                JsonReader::tryGetString(text, element, path);
    } catch (const std::exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.find('\n');
    const std::string_view path = input.substr(0, lineEnd);
    const std::string_view document =
        lineEnd == std::string_view::npos ? std::string_view{} : input.substr(lineEnd + 1);
    javascript::JsonReader reader;
    try {
        reader.parse(document, "fuzz.json");
    } catch (const std::exception&) {
        return 0;
    }
    lookUp(reader.root(), path);
    lookUp(reader.root(), "icons");
    return 0;
}
