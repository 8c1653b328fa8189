#pragma once

#include <exception>
#include <string>

namespace test {

// The what() text of the std::exception that `action` throws, or "(nothing thrown)".
template <typename Action>
std::string failure(Action action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

} // namespace test
