#include "platform/NativeDesktop.h"

#include "platform/win32/Win32Desktop.h"

namespace platform {

std::unique_ptr<Desktop> openNativeDesktop(std::string&) {
    return std::make_unique<win32::Win32Desktop>();
}

} // namespace platform
