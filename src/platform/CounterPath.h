#pragma once

#include <string>
#include <string_view>

namespace platform {

// The parts of a counter path in the Windows syntax: `\Object(Instance)\Counter` or
// `\Object\Counter`, possibly after a computer's name (`\\Computer\Object...`). An instance may
// itself hold parentheses and backslashes (`\Paging File(\??\C:\pagefile.sys)\% Usage`).
class CounterPath {
public:
    explicit CounterPath(std::string_view path);

    // Whether the path has the syntax above; the other parts are empty when it has not.
    bool wellFormed() const { return wellFormed_; }
    // Whether the path names a computer, whichever it is.
    bool remote() const { return remote_; }
    const std::string& object() const { return object_; }
    // Empty when the path names no instance.
    const std::string& instance() const { return instance_; }
    const std::string& counter() const { return counter_; }

    // Whether the path asks for the object's total: the instance `_Total` (in any case) or the
    // wildcard `*`.
    bool total() const;
    // Whether the counter's name says it is a percentage ("% Processor Time").
    bool percentage() const { return !counter_.empty() && counter_.front() == '%'; }
    // The same counter over every instance of the object: `\Object(*)\Counter`.
    std::string everyInstance() const;

private:
    bool parseLocal(std::string_view path);

    bool wellFormed_ = false;
    bool remote_ = false;
    std::string object_;
    std::string instance_;
    std::string counter_;
};

// The path of a counter: `\Object(Instance)\Counter`, or `\Object\Counter` without an instance.
std::string makeCounterPath(std::string_view object, std::string_view instance,
                            std::string_view counter);

// Throws std::invalid_argument("remote counter paths are not supported.") for a path that names a
// computer: a query would reach that computer at every collect.
void refuseRemote(const CounterPath& path);

} // namespace platform
