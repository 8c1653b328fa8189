#pragma once

#include <cstdint>
#include <iosfwd>

// Screen and window geometry in pixels, with the same layout the desktop's own records use.
namespace platform {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

// Half-open: left <= x < right, top <= y < bottom.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// As text, for messages and for test failures, which otherwise show the bytes.
std::ostream& operator<<(std::ostream& out, Point point);
std::ostream& operator<<(std::ostream& out, const Rect& rect);

} // namespace platform
