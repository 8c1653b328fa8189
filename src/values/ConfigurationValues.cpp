#include "values/ConfigurationValues.h"

#include <array>
#include <utility>

namespace {

template <typename Enum, std::size_t N>
Enum parseWord(const std::array<std::pair<std::string_view, Enum>, N>& words, std::string_view text,
               Enum fallback) {
    for (const auto& [word, value] : words)
        if (text == word)
            return value;
    return fallback;
}

} // namespace

Units parseUnits(std::string_view text, Units fallback) {
    static constexpr std::array<std::pair<std::string_view, Units>, 5> words{{
        {"Size", Units::Size},
        {"Rate", Units::Rate},
        {"Duration", Units::Duration},
        {"Percentage", Units::Percentage},
        {"Temperature", Units::Temperature},
    }};
    return parseWord(words, text, fallback);
}

FillMode parseFillMode(std::string_view text, FillMode fallback) {
    static constexpr std::array<std::pair<std::string_view, FillMode>, 3> words{{
        {"Gradient", FillMode::Gradient},
        {"Flat", FillMode::Flat},
        {"None", FillMode::None},
    }};
    return parseWord(words, text, fallback);
}

InspectorType parseInspectorType(std::string_view text, InspectorType fallback) {
    static constexpr std::array<std::pair<std::string_view, InspectorType>, 3> words{{
        {"Fixed", InspectorType::Fixed},
        {"Floating", InspectorType::Floating},
        {"Free", InspectorType::Free},
    }};
    return parseWord(words, text, fallback);
}
