// Feeds arbitrary bytes to the configuration reader and loader. The first line of an input is a
// key path, the rest the document; a document that parses is looked up along that path and
// through every typed form, then each of its icons is loaded as the program loads them, with
// collectors that need no system counters. A document that the one-pass reader of plain JSON
// takes must come out of the full reader alike, or the fuzzer stops.

#include "app/ConfigurationLoader.h"
#include "javascript/JsonReader.h"
#include "javascript/PlainJsonReader.h"
#include "support/JsonTree.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace {

using util::system::monitoring::DataCollector;

class QuietCollector : public DataCollector {
public:
    using DataCollector::DataCollector;
    void collect() override { publish(0.0); }
};

// Every graph allocates its whole history, up to a million samples: a handful of graphs per
// input is enough to reach every path without running the fuzzer out of memory.
constexpr int graphsPerInput = 8;
int graphsMade = 0;

std::shared_ptr<DataCollector> makeCollector(Units units, const std::string& type,
                                             const std::string& name, const std::string& label) {
    util::system::monitoring::checkDataSource(type, name);
    if (++graphsMade > graphsPerInput)
        throw std::runtime_error("enough graphs for one input.");
    return std::make_shared<QuietCollector>(units, label);
}

void loadIcons(const std::shared_ptr<javascript::Value>& root) {
    const javascript::Array* icons = nullptr;
    try {
        icons = javascript::JsonReader::getArray(root, "icons");
    } catch (const std::exception&) {
        return;
    }
    if (icons == nullptr)
        return;
    graphsMade = 0;
    ConfigurationLoader loader(root, makeCollector);
    for (const auto& icon : icons->elements()) {
        try {
            loader.loadIcon(icon);
        } catch (const std::exception&) {
        }
    }
}

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

// The one-pass reader leaves every text it is not sure of to the full reader, which stays the
// reference for what a text means.
void compareReaders(std::string_view document) {
    const auto plain = javascript::readPlainJson(document);
    if (plain && test::describe(plain) != test::describe(test::readFully(document)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.find('\n');
    const std::string_view path = input.substr(0, lineEnd);
    const std::string_view document =
        lineEnd == std::string_view::npos ? std::string_view{} : input.substr(lineEnd + 1);
    compareReaders(document);
    javascript::JsonReader reader;
    try {
        reader.parse(document, "fuzz.json");
    } catch (const std::exception&) {
        return 0;
    }
    lookUp(reader.root(), path);
    lookUp(reader.root(), "icons");
    loadIcons(reader.root());
    return 0;
}
