#include "values/Colour.h"

#include <stdexcept>
#include <string>

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The value of the hexadecimal digits of the group at `pos`, up to `length` characters, stopping
// at the first character that is not a digit. Signs and white space are not accepted, so a
// channel can never leave 0 to 255.
float channel(std::string_view text, std::size_t pos, std::size_t length) {
    if (pos > text.size())
        throw std::out_of_range("invalid string position");
    unsigned value = 0;
    for (char c : text.substr(pos, length)) {
        const int digit = hexDigit(c);
        if (digit < 0)
            break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<float>(value);
}

// One digit stands for itself twice: "f" reads as "ff".
float doubledChannel(std::string_view text, std::size_t pos) {
    return channel(text, pos, 1) * 17.0f;
}

} // namespace

Colour::Colour(std::string_view text) {
    std::string digits(text);
    if (const auto hash = digits.find('#'); hash != std::string::npos)
        digits.erase(hash, 1);
    const std::string_view t = digits;
    const std::size_t n = t.size();
    if (n == 3 || n == 4) {
        red = doubledChannel(t, 0);
        green = doubledChannel(t, 1);
        blue = doubledChannel(t, 2);
        alpha = n == 4 ? doubledChannel(t, 3) : 255.0f;
        return;
    }
    red = channel(t, 0, 2);
    green = channel(t, 2, 2);
    blue = channel(t, 4, 2);
    alpha = n % 3 == 0 ? 255.0f : channel(t, 6, 2);
}
