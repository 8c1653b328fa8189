#pragma once

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <pdh.h>
// clang-format on

namespace platform::win32 {

// The functions of the Performance Data Helper library that a counter query calls. The program
// binds them to pdh.dll; tests bind them to a library of their own.
struct PdhFunctions {
    decltype(&PdhOpenQueryA) openQuery;
    decltype(&PdhAddEnglishCounterA) addEnglishCounter;
    decltype(&PdhAddCounterA) addCounter;
    decltype(&PdhGetCounterInfoA) getCounterInfo;
    decltype(&PdhCollectQueryData) collectQueryData;
    decltype(&PdhGetFormattedCounterValue) getFormattedCounterValue;
    decltype(&PdhGetFormattedCounterArrayA) getFormattedCounterArray;
    decltype(&PdhCloseQuery) closeQuery;
};

// The functions of pdh.dll.
const PdhFunctions& systemPdh();

} // namespace platform::win32
