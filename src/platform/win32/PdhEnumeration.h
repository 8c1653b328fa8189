#pragma once

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <pdh.h>
// clang-format on

#include <map>
#include <string>

namespace platform::win32 {

// What the Performance Data Helper library says of the objects it serves, in its wide-character
// forms: object, counter and instance names are localised. The program binds them to pdh.dll
// and the performance registry; tests bind them to functions of their own.
struct PdhEnumeration {
    // Null where the library cannot enumerate: Wine's exports these as stubs that end the
    // program when called.
    decltype(&PdhEnumObjectsW) enumObjects;
    decltype(&PdhEnumObjectItemsW) enumObjectItems;
    // The English name of every object and counter by the name in the system's language, in
    // UTF-8; empty where the system keeps no such table.
    std::map<std::string, std::string> (*englishNames)();
};

const PdhEnumeration& systemEnumeration();

} // namespace platform::win32
