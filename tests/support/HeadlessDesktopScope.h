#pragma once

#include "platform/headless/HeadlessDesktop.h"

namespace test {

// A fresh headless desktop installed for one test.
class HeadlessDesktopScope {
public:
    HeadlessDesktopScope() { platform::installDesktop(&desktop); }
    ~HeadlessDesktopScope() { platform::installDesktop(nullptr); }
    HeadlessDesktopScope(const HeadlessDesktopScope&) = delete;
    HeadlessDesktopScope& operator=(const HeadlessDesktopScope&) = delete;

    platform::headless::HeadlessDesktop desktop;
};

} // namespace test
