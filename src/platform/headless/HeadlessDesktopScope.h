#pragma once

#include "platform/headless/HeadlessDesktop.h"

namespace platform::headless {

// A fresh headless desktop, installed as the process's desktop for as long as it lives: for a
// test, or for pictures drawn without a display.
class HeadlessDesktopScope {
public:
    HeadlessDesktopScope() { installDesktop(&desktop); }
    ~HeadlessDesktopScope() { installDesktop(nullptr); }
    HeadlessDesktopScope(const HeadlessDesktopScope&) = delete;
    HeadlessDesktopScope& operator=(const HeadlessDesktopScope&) = delete;

    HeadlessDesktop desktop;
};

} // namespace platform::headless
