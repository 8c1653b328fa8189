#pragma once

#include <algorithm>
#include <cstdint>

namespace platform {

// Dots per inch of a display at 100 % scaling. The program's layouts and pictures are drawn for
// it and grow with a display's own dots per inch.
inline constexpr int standardDpi = 96;
// Windows goes up to 500 %; a desktop setting beyond it, or below 100 %, is taken as that bound,
// so that a stray value can neither hide the text nor make windows larger than any screen.
inline constexpr int largestDpi = 480;

// A display's scale: its dots per inch against the standard 96. Lengths of a layout are given
// at 96 dots per inch and turned into the display's pixels by scaled().
class Scale {
public:
    constexpr Scale() = default;
    explicit constexpr Scale(int dpi) : dpi_(std::clamp(dpi, standardDpi, largestDpi)) {}

    constexpr int dpi() const { return dpi_; }
    // A length at 96 dots per inch in this scale's pixels, rounded to the nearest, halves away
    // from zero, as Windows rounds its own metrics (16 is 20 at 120 DPI, 24 at 144, 32 at 192).
    constexpr int scaled(int length) const {
        std::int64_t product = static_cast<std::int64_t>(length) * dpi_;
        std::int64_t half = product < 0 ? -standardDpi / 2 : standardDpi / 2;
        return static_cast<int>((product + half) / standardDpi);
    }

    friend constexpr bool operator==(Scale, Scale) = default;

private:
    int dpi_ = standardDpi;
};

} // namespace platform
