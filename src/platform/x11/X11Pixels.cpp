#include "platform/x11/X11Pixels.h"

#include <X11/Xutil.h>
#include <bit>
#include <cstddef>

namespace platform::x11 {

namespace {

int shiftOf(unsigned long mask) {
    return mask == 0 ? 0 : std::countr_zero(mask);
}

std::uint8_t premultiplied(std::uint8_t channel, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

} // namespace

PixelFormat PixelFormat::of(Visual* visual, int depth) {
    return {visual, depth, shiftOf(visual->red_mask), shiftOf(visual->green_mask),
            shiftOf(visual->blue_mask)};
}

std::uint32_t PixelFormat::pack(const gui::Pixel& p) const {
    if (depth == 32)
        return static_cast<std::uint32_t>(p.alpha) << 24 |
               static_cast<std::uint32_t>(premultiplied(p.red, p.alpha)) << redShift |
               static_cast<std::uint32_t>(premultiplied(p.green, p.alpha)) << greenShift |
               static_cast<std::uint32_t>(premultiplied(p.blue, p.alpha)) << blueShift;
    return static_cast<std::uint32_t>(p.red) << redShift |
           static_cast<std::uint32_t>(p.green) << greenShift |
           static_cast<std::uint32_t>(p.blue) << blueShift;
}

gui::Pixel PixelFormat::unpack(std::uint32_t value) const {
    return {static_cast<std::uint8_t>(value >> redShift),
            static_cast<std::uint8_t>(value >> greenShift),
            static_cast<std::uint8_t>(value >> blueShift), 255};
}

ImageBuffer::~ImageBuffer() {
    release();
}

void ImageBuffer::release() {
    if (image_ != nullptr) {
        image_->data = nullptr; // the pixels belong to data_
        XDestroyImage(image_);
        image_ = nullptr;
    }
    std::vector<std::uint32_t>().swap(data_); // assigning {} would keep the capacity
}

void ImageBuffer::fit(Display* display, const PixelFormat& format, int width, int height) {
    if (image_ != nullptr && image_->width == width && image_->height == height)
        return;
    release();
    data_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    image_ = XCreateImage(display, format.visual, static_cast<unsigned>(format.depth), ZPixmap, 0,
                          reinterpret_cast<char*>(data_.data()), static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 32, width * 4);
}

void ImageBuffer::put(Display* display, Drawable target, GC gc, const PixelFormat& format,
                      const gui::Bitmap<gui::Pixel>& pixels, int x, int y) {
    if (pixels.width() <= 0 || pixels.height() <= 0)
        return;
    if (pixels.width() <= 0 || pixels.height() <= 0)
        return; // nothing to show, and no first pixel to pack
    fit(display, format, pixels.width(), pixels.height());
    if (image_ == nullptr)
        return;
    // Rows are stored one after another; runs of one colour, most of a picture, are packed once.
    const gui::Pixel* in = pixels.scanline(0);
    const std::size_t count = static_cast<std::size_t>(pixels.width()) * pixels.height();
    std::uint32_t last = std::bit_cast<std::uint32_t>(in[0]);
    std::uint32_t packed = format.pack(in[0]);
    for (std::size_t i = 0; i < count; ++i) {
        if (std::bit_cast<std::uint32_t>(in[i]) != last) {
            last = std::bit_cast<std::uint32_t>(in[i]);
            packed = format.pack(in[i]);
        }
        data_[i] = packed;
    }
    XPutImage(display, target, gc, image_, 0, 0, x, y, static_cast<unsigned>(pixels.width()),
              static_cast<unsigned>(pixels.height()));
}

} // namespace platform::x11
