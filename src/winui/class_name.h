#pragma once

#include <string>
#include <typeinfo>

namespace winui {

// "class_<n>_<type>": n counts every name made in the process, from 1, so no two windows share
// a class; type is the readable name of the window kind.
std::string makeClassName(const std::type_info& kind);

} // namespace winui
