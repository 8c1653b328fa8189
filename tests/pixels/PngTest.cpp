#include "pixels/Png.h"

#include "support/Png.h"
#include "support/TemporaryDirectory.h"

#include <fstream>
#include <gtest/gtest.h>

// libpng reads back every pixel, channel and alpha, of a picture large enough to need several
// stored blocks.
TEST(Png, WhatIsWrittenReadsBackTheSame) {
    gui::Bitmap<gui::Pixel> picture(300, 90);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.scanline(y)[x] = {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                      static_cast<std::uint8_t>(x ^ y),
                                      static_cast<std::uint8_t>(255 - x % 7)};
    test::TemporaryDirectory dir;
    const std::string file = dir.file("picture.png");
    std::ofstream(file, std::ios::binary) << gui::encodePng(picture);
    const auto read = test::readPng(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->pixels(), picture.pixels());
}
