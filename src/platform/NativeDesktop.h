#pragma once

#include "platform/Desktop.h"

#include <memory>
#include <string>

namespace platform {

// The desktop of the system the program runs on; null, with the reason in `reason`, when there
// is none to run on (no display, say).
std::unique_ptr<Desktop> openNativeDesktop(std::string& reason);

} // namespace platform
