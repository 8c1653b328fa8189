#pragma once

#include "javascript/Value.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace javascript {

// Reads the configuration: lexer, parser and value generation, then lookups by key path such
// as "icons[0].graphs". The static lookups start from any value of a tree, the member ones from
// the reader's root. Lookups throw std::exception-derived errors with the reader's messages;
// the try-forms return false instead and leave their output alone.
class JsonReader {
public:
    // The largest file read: a configuration is a few kilobytes, and a larger file read whole
    // (with a message for every bad byte in it) could take the memory of the machine.
    static constexpr std::size_t largestFile = 1 << 20;

    // readFile, then parse. A file that cannot be read parses as an empty text, which fails.
    void load(const std::filesystem::path& fileName);
    // Throws std::runtime_error, naming the file, when it holds more than largestFile bytes.
    static std::string readFile(const std::filesystem::path& fileName);
    // Throws std::runtime_error("error parsing json:\r\n" + the rendered messages) when the text
    // has errors; the root is then left as it was.
    void parse(std::string_view text, const std::string& sourceName);

    std::shared_ptr<Value> root() const { return root_; }

    static std::shared_ptr<Value> getValue(const std::shared_ptr<Value>& start,
                                           std::string_view path);
    std::shared_ptr<Value> getValue(std::string_view path) const;
    static bool tryGetValue(std::shared_ptr<Value>& out, const std::shared_ptr<Value>& start,
                            std::string_view path);
    // The array at the path, or null when the value there is not an array. The pointer lives as
    // long as the tree it came from.
    static Array* getArray(const std::shared_ptr<Value>& start, std::string_view path);
    Array* getArray(std::string_view path) const;
    static double getNumber(const std::shared_ptr<Value>& start, std::string_view path);
    static std::string getString(const std::shared_ptr<Value>& start, std::string_view path);
    static bool tryGetBool(bool& out, const std::shared_ptr<Value>& start, std::string_view path);
    static bool tryGetNumber(double& out, const std::shared_ptr<Value>& start,
                             std::string_view path);
    static bool tryGetString(std::string& out, const std::shared_ptr<Value>& start,
                             std::string_view path);
    bool tryGetString(std::string& out, std::string_view path) const;

private:
    std::shared_ptr<Value> root_;
};

} // namespace javascript
