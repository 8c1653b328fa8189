#pragma once

#include <dlfcn.h>
#include <mutex>

namespace platform {

// A system library the program opens when it first calls it rather than when it starts: a
// library loaded at the start stays in memory, used or not, for as long as the program runs,
// and a tray monitor runs all day. Once opened, it stays.
class SharedLibrary {
public:
    explicit SharedLibrary(const char* file) : file_(file) {}
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The function of that name and type, or null when the library or the function is missing.
    template <typename Function>
    Function* find(const char* name) {
        std::call_once(opened_, [this] { handle_ = dlopen(file_, RTLD_NOW | RTLD_LOCAL); });
        return handle_ != nullptr ? reinterpret_cast<Function*>(dlsym(handle_, name)) : nullptr;
    }

private:
    const char* file_;
    std::once_flag opened_;
    void* handle_ = nullptr;
};

} // namespace platform

// Defines `name` to pass its call on to the function of that name in `library()`, looked up at
// the first call; without it, the call returns `failed`, as the function would on failing.
#define PAKVUE_PASS_ON(library, failed, result, name, parameters, arguments)                       \
    result name parameters {                                                                       \
        static auto* const passedTo = library().find<result parameters>(#name);                    \
        return passedTo != nullptr ? passedTo arguments : failed;                                  \
    }
// The same for a function that returns nothing: without it, the call does nothing.
#define PAKVUE_PASS_ON_VOID(library, name, parameters, arguments)                                  \
    void name parameters {                                                                         \
        static auto* const passedTo = library().find<void parameters>(#name);                      \
        if (passedTo != nullptr)                                                                   \
            passedTo arguments;                                                                    \
    }
