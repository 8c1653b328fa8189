#include "support/Golden.h"

#include "support/Png.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace test {

void checkGolden(const std::string& name, const gui::Bitmap<gui::Pixel>& bitmap) {
    const std::string file = std::string(PAKVUE_TEST_DATA) + "/golden/" + name + ".png";
    if (const char* update = std::getenv("PAKVUE_UPDATE_GOLDEN"); update && *update == '1') {
        writePng(file, bitmap);
        return;
    }
    const auto golden = readPng(file);
    ASSERT_TRUE(golden) << "no golden picture " << file;
    ASSERT_EQ(golden->width(), bitmap.width());
    ASSERT_EQ(golden->height(), bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            ASSERT_EQ(golden->scanline(y)[x], bitmap.scanline(y)[x])
                << name << " differs first at (" << x << ", " << y << ")";
        }
    }
}

} // namespace test
