#pragma once

#include <cstdint>
#include <string_view>

// The enumerations the configuration file names by words. Words match exactly, case-sensitively;
// a word that matches nothing yields the caller's default.

// Temperature is in degrees Celsius.
enum class Units : std::int32_t {
    None = 0,
    Size = 1,
    Rate = 2,
    Duration = 3,
    Percentage = 4,
    Temperature = 5,
};

enum class FillMode : std::int32_t { Gradient = 0, Flat = 1, None = 2 };

enum class InspectorType : std::int32_t { Fixed = 1, Floating = 2, Free = 3 };

Units parseUnits(std::string_view text, Units fallback);
FillMode parseFillMode(std::string_view text, FillMode fallback);
InspectorType parseInspectorType(std::string_view text, InspectorType fallback);
