#include "winui/class_name.h"

#include <atomic>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace winui {

namespace {

std::atomic<unsigned> classCounter{0};

std::string readableName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(type.name());
}

} // namespace

std::string makeClassName(const std::type_info& kind) {
    std::string name = "class_";
    name += std::to_string(++classCounter);
    name += '_';
    name += readableName(kind);
    return name;
}

} // namespace winui
