#pragma once

#include <string_view>

// A colour as four channels of 0 to 255, kept as floats so that blending and gradients can work
// between whole steps.
struct Colour {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;

    Colour() = default;
    Colour(float r, float g, float b, float a) : red(r), green(g), blue(b), alpha(a) {}

    // Parses "rgb", "rgba", "rrggbb" or "rrggbbaa" hexadecimal text with an optional "#".
    // Throws std::out_of_range("invalid string position") when a channel would start past the end
    // of the text.
    explicit Colour(std::string_view text);

    friend bool operator==(const Colour&, const Colour&) = default;

    // Channel-wise arithmetic, alpha included, as gradients and colour stops need it.
    friend Colour operator+(const Colour& a, const Colour& b) {
        return {a.red + b.red, a.green + b.green, a.blue + b.blue, a.alpha + b.alpha};
    }
    friend Colour operator-(const Colour& a, const Colour& b) {
        return {a.red - b.red, a.green - b.green, a.blue - b.blue, a.alpha - b.alpha};
    }
    friend Colour operator*(const Colour& c, float factor) {
        return {c.red * factor, c.green * factor, c.blue * factor, c.alpha * factor};
    }
    Colour& operator+=(const Colour& other) { return *this = *this + other; }
};
