#include "support/Png.h"

#include <png.h>
#include <stdexcept>

namespace test {

void writePng(const std::string& fileName, const gui::Bitmap<gui::Pixel>& bitmap) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.width());
    image.height = static_cast<png_uint_32>(bitmap.height());
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, fileName.c_str(), 0, bitmap.pixels().data(), 0, nullptr))
        throw std::runtime_error("cannot write " + fileName + ": " + image.message);
}

std::unique_ptr<gui::Bitmap<gui::Pixel>> readPng(const std::string& fileName) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, fileName.c_str()))
        return nullptr;
    image.format = PNG_FORMAT_RGBA;
    auto bitmap = std::make_unique<gui::Bitmap<gui::Pixel>>(static_cast<int>(image.width),
                                                            static_cast<int>(image.height));
    if (!png_image_finish_read(&image, nullptr, bitmap->scanline(0), 0, nullptr)) {
        png_image_free(&image);
        return nullptr;
    }
    return bitmap;
}

} // namespace test
