#pragma once

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <pdh.h>
// clang-format on

namespace platform::win32 {

// The functions of the Performance Data Helper library that a counter query calls, in their
// wide-character forms: counter and instance names are localised, and the ANSI forms would pass
// them through the system's code page. The program binds them to pdh.dll; tests bind them to a
// library of their own.
struct PdhFunctions {
    decltype(&PdhOpenQueryW) openQuery;
    decltype(&PdhAddEnglishCounterW) addEnglishCounter;
    decltype(&PdhAddCounterW) addCounter;
    decltype(&PdhGetCounterInfoW) getCounterInfo;
    decltype(&PdhCollectQueryData) collectQueryData;
    decltype(&PdhGetFormattedCounterValue) getFormattedCounterValue;
    decltype(&PdhGetFormattedCounterArrayW) getFormattedCounterArray;
    decltype(&PdhCloseQuery) closeQuery;
};

// The functions of pdh.dll.
const PdhFunctions& systemPdh();

} // namespace platform::win32
