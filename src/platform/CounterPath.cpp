#include "platform/CounterPath.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace platform {

CounterPath::CounterPath(std::string_view path) {
    if (path.starts_with("\\\\")) {
        remote_ = true;
        const auto local = path.find('\\', 2);
        path = local == std::string_view::npos ? std::string_view{} : path.substr(local);
    }
    wellFormed_ = parseLocal(path);
}

bool CounterPath::parseLocal(std::string_view path) {
    if (path.size() < 3 || path.front() != '\\')
        return false;
    const auto counterStart = path.rfind('\\');
    if (counterStart == 0)
        return false;
    std::string_view object = path.substr(1, counterStart - 1);
    std::string_view instance;
    if (const auto open = object.find('('); open != std::string_view::npos) {
        if (object.back() != ')')
            return false;
        instance = object.substr(open + 1, object.size() - open - 2);
        object = object.substr(0, open);
    }
    object_ = object;
    instance_ = instance;
    counter_ = path.substr(counterStart + 1);
    return true;
}

bool CounterPath::total() const {
    static constexpr std::string_view totalName = "_total";
    return instance_ == "*" ||
           std::equal(instance_.begin(), instance_.end(), totalName.begin(), totalName.end(),
                      [](unsigned char a, unsigned char b) { return std::tolower(a) == b; });
}

std::string CounterPath::everyInstance() const {
    return "\\" + object_ + "(*)\\" + counter_;
}

std::string makeCounterPath(std::string_view object, std::string_view instance,
                            std::string_view counter) {
    std::string path(1, '\\');
    path.append(object);
    if (!instance.empty())
        path.append(1, '(').append(instance).append(1, ')');
    return path.append(1, '\\').append(counter);
}

void refuseRemote(const CounterPath& path) {
    if (path.remote())
        throw std::invalid_argument("remote counter paths are not supported.");
}

} // namespace platform
