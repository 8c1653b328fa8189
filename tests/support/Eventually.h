#pragma once

#include <chrono>
#include <thread>

namespace test {

// Whether `condition` turns true within `timeout`, checked every millisecond. For waiting until
// another thread has reached a state it reports, such as being blocked in a wait.
template <typename Condition>
bool eventually(Condition condition,
                std::chrono::milliseconds timeout = std::chrono::milliseconds(10'000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace test
