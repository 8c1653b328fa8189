#pragma once

#include "pixels/Bitmap.h"

#include <X11/Xlib.h>
#include <cstdint>
#include <vector>

namespace platform::x11 {

// How a TrueColor visual lays out a pixel in 32 bits.
struct PixelFormat {
    Visual* visual = nullptr;
    int depth = 24;
    int redShift = 16;
    int greenShift = 8;
    int blueShift = 0;

    static PixelFormat of(Visual* visual, int depth);
    // Opaque visuals take the colour as it is; a 32-bit visual takes it premultiplied by alpha.
    std::uint32_t pack(const gui::Pixel& pixel) const;
    gui::Pixel unpack(std::uint32_t value) const;
};

// A picture in the server's format, kept between puts so that presenting a frame of the same
// size allocates nothing.
class ImageBuffer {
public:
    ImageBuffer() = default;
    ~ImageBuffer();
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    // Puts `pixels` at (x, y) of the drawable.
    void put(Display* display, Drawable target, GC gc, const PixelFormat& format,
             const gui::Bitmap<gui::Pixel>& pixels, int x, int y);
    // Lets the picture and its pixels go; the next put makes them again.
    void release();

private:
    void fit(Display* display, const PixelFormat& format, int width, int height);

    std::vector<std::uint32_t> data_;
    XImage* image_ = nullptr;
};

} // namespace platform::x11
