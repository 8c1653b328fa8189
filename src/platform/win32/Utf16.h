#pragma once

#include <string>

namespace platform::win32 {

// The program's text is UTF-8; the system's wide-character calls take UTF-16, which holds every
// name, where the ANSI calls would go through the system's code page and lose what it lacks.
std::wstring utf16Of(const std::string& text);
// Up to the terminating zero; empty for null or invalid text.
std::string utf8Of(const wchar_t* text);

} // namespace platform::win32
