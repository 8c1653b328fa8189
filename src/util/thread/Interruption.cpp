#include "util/thread/Interruption.h"

namespace util {

namespace {
// A plain pointer keeps the thread-local trivially destructible; the token it points to lives
// in the worker's thread function for as long as the scope that set it.
thread_local const std::stop_token* current = nullptr;
} // namespace

std::stop_token currentStopToken() {
    return current != nullptr ? *current : std::stop_token{};
}

InterruptionScope::InterruptionScope(const std::stop_token& token) : previous_(current) {
    current = &token;
}

InterruptionScope::~InterruptionScope() {
    current = previous_;
}

} // namespace util
