#pragma once

#include <string_view>

// The example configuration and its JSON Schema as the program carries them, made from the
// files of examples/ when the program is built. A first start writes them for the user.
std::string_view exampleConfiguration();
std::string_view configurationSchema();
