#include "platform/NativeDesktop.h"

#include "platform/x11/X11Desktop.h"

namespace platform {

std::unique_ptr<Desktop> openNativeDesktop(std::string& reason) {
    return x11::X11Desktop::open(reason);
}

} // namespace platform
