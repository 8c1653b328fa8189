#pragma once

#include "values/Colour.h"

#include <cstdint>

namespace gui {

// Four bytes in memory order red, green, blue, alpha; alpha 255 is opaque.
struct Pixel {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;

    friend bool operator==(const Pixel&, const Pixel&) = default;
};

// A colour channel as a byte: truncated toward zero, low 8 bits kept, no clamping. A value no
// integer can hold (not a number, or beyond 32 bits) reads as 0 rather than being undefined.
inline std::uint8_t channelByte(float value) {
    if (!(value > -2147483648.0f && value < 2147483648.0f))
        return 0;
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
}

inline Pixel toPixel(const Colour& c) {
    return {channelByte(c.red), channelByte(c.green), channelByte(c.blue), channelByte(c.alpha)};
}

} // namespace gui
