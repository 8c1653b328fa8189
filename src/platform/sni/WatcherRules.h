#pragma once

#include <string>

namespace platform::sni {

inline constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
inline constexpr const char* watcherPath = "/StatusNotifierWatcher";

// The match rule for the watcher's name changing owners, and no other name's: a desktop's bus
// sees names come and go all day, and each would wake the loop.
std::string watcherOwnerRule();

} // namespace platform::sni
