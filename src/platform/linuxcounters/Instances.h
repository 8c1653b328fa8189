#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linuxcounters {

// The name every source gives its total.
inline constexpr std::string_view totalName = "_Total";

// Instances keyed by their names, found by views of the text without copying them.
template <typename Value>
using Instances = std::map<std::string, Value, std::less<>>;

template <typename Value>
const Value* findInstance(const Instances<Value>& map, std::string_view instance) {
    const auto found = map.find(instance);
    return found != map.end() ? &found->second : nullptr;
}

// The instances' names, the total first.
template <typename Value>
void listNames(const Instances<Value>& map, std::vector<std::string>& into) {
    if (map.contains(totalName))
        into.emplace_back(totalName);
    for (const auto& entry : map)
        if (entry.first != totalName)
            into.push_back(entry.first);
}

// Names instances after what the system calls them, numbering the second and later of one name
// as Windows numbers instances: nvme, nvme#1, nvme#2.
class InstanceNamer {
public:
    std::string name(std::string_view base) {
        const int earlier = seen_[std::string(base)]++;
        return earlier == 0 ? std::string(base) : std::string(base) + "#" + std::to_string(earlier);
    }

private:
    std::map<std::string, int, std::less<>> seen_;
};

// Fills a map from one reading without allocating while the reading names the same keys as
// the map holds: a key the reading lacks or adds shows in changed().
template <typename Value>
class Refill {
public:
    explicit Refill(Instances<Value>& map) : map_(map) {}

    Value& operator[](std::string_view key) {
        ++touched_;
        const auto found = map_.find(key);
        if (found != map_.end())
            return found->second;
        added_ = true;
        return map_.emplace(std::string(key), Value{}).first->second;
    }

    bool changed() const { return added_ || touched_ != map_.size(); }

private:
    Instances<Value>& map_;
    std::size_t touched_ = 0;
    bool added_ = false;
};

// Runs a parser on the map; when the keys changed, once more on an empty map, so that keys
// that went away go from the map too. Returns whether they changed.
template <typename Value, typename Parse>
bool refill(Instances<Value>& map, Parse parse) {
    Refill<Value> first(map);
    parse(first);
    if (!first.changed())
        return false;
    map.clear();
    Refill<Value> again(map);
    parse(again);
    return true;
}

// Parses the whole of a file into the map; a file that cannot be read leaves the map empty.
// Returns whether the instances changed.
template <typename File, typename Value, typename Parse>
bool readInto(File& file, Instances<Value>& map, Parse parse) {
    const auto text = file.read();
    if (!text) {
        const bool changed = !map.empty();
        map.clear();
        return changed;
    }
    return refill(map, [&](Refill<Value>& instances) { parse(*text, instances); });
}

} // namespace platform::linuxcounters
