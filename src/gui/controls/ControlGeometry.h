#pragma once

#include <cstdint>
#include <iosfwd>

// Control geometry: positions are relative to the parent control's top-left corner.
namespace gui {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool contains(std::int32_t px, std::int32_t py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// As text, for messages and for test failures, which otherwise show the bytes.
std::ostream& operator<<(std::ostream& out, Point point);
std::ostream& operator<<(std::ostream& out, const Rect& rect);

// Padding and margins, in this order.
struct Edges {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const Edges&, const Edges&) = default;
};

} // namespace gui
