#include "pixels/Bitmap.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using gui::Bitmap;
using gui::Pixel;

// The fills' fast loops against the plainest way to write them, one blend() per pixel, over
// random pictures, shapes and colours: the pixels must be the same to the byte.
namespace {

void referenceVerticalGradient(Bitmap<Pixel>& bitmap, int left, int top, int right, int bottom,
                               const Colour& topColour, const Colour& bottomColour) {
    if (bottom <= top || right <= left)
        return;
    const Colour d = (bottomColour - topColour) *
                     (1.0f / static_cast<float>(static_cast<double>(bottom) - top + 1));
    const int firstRow = std::max(top, 0);
    Colour c = topColour + d * static_cast<float>(static_cast<double>(firstRow) - top);
    for (int y = firstRow; y < std::min(bottom, bitmap.height()); ++y) {
        c += d;
        for (int x = std::max(left, 0); x < std::min(right, bitmap.width()); ++x)
            bitmap.blend(static_cast<std::size_t>(y) * bitmap.width() + x, c, 1.0f);
    }
}

void referenceHorizontalGradient(Bitmap<Pixel>& bitmap, int left, int top, int right, int bottom,
                                 const Colour& leftColour, const Colour& rightColour) {
    if (bottom <= top || right <= left)
        return;
    const Colour d = (rightColour - leftColour) *
                     (1.0f / static_cast<float>(static_cast<double>(right) - left + 1));
    const int firstColumn = std::max(left, 0);
    const Colour start =
        leftColour + d * static_cast<float>(static_cast<double>(firstColumn) - left);
    for (int y = std::max(top, 0); y < std::min(bottom, bitmap.height()); ++y) {
        Colour c = start;
        for (int x = firstColumn; x < std::min(right, bitmap.width()); ++x) {
            c += d;
            bitmap.blend(static_cast<std::size_t>(y) * bitmap.width() + x, c, 1.0f);
        }
    }
}

void referenceTriangle(Bitmap<Pixel>& bitmap, int x1, int y1, int x2, int y2, int x3, int y3,
                       const Colour& c1, const Colour& c2, const Colour& c3) {
    const auto f = [](int v) { return static_cast<float>(v); };
    const float px = f(x2) - f(x1), py = f(y2) - f(y1);
    const float qx = f(x3) - f(x1), qy = f(y3) - f(y1);
    const float pp = px * px + py * py, pq = px * qx + py * qy, qq = qx * qx + qy * qy;
    const float den = pp * qq - pq * pq;
    const int minX = std::clamp(std::min({x1, x2, x3}), 0, bitmap.width());
    const int maxX = std::clamp(std::max({x1, x2, x3}), 0, bitmap.width());
    const int minY = std::clamp(std::min({y1, y2, y3}), 0, bitmap.height());
    const int maxY = std::clamp(std::max({y1, y2, y3}), 0, bitmap.height());
    for (int y = minY; y <= maxY; ++y) {
        for (int x = minX; x <= maxX; ++x) {
            const float fx = f(x), fy = f(y);
            const float e1 = (fy - f(y1)) * (f(x1) - f(x2)) - (fx - f(x1)) * (f(y1) - f(y2));
            const float e2 = (fy - f(y2)) * (f(x2) - f(x3)) - (fx - f(x2)) * (f(y2) - f(y3));
            const float e3 = (fy - f(y3)) * (f(x3) - f(x1)) - (fx - f(x3)) * (f(y3) - f(y1));
            if (!(e1 > 0.0f && e2 > 0.0f && e3 > 0.0f))
                continue;
            const float rx = fx - f(x1), ry = fy - f(y1);
            const float rp = rx * px + ry * py, rq = rx * qx + ry * qy;
            const float w2 = (qq * rp - pq * rq) / den;
            const float w3 = (pp * rq - pq * rp) / den;
            const Colour c = c1 * (1.0f - w2 - w3) + c2 * w2 + c3 * w3;
            if (x < bitmap.width() && y < bitmap.height())
                bitmap.blend(static_cast<std::size_t>(y) * bitmap.width() + x, c, 1.0f);
        }
    }
}

// A picture of flat runs broken by random pixels, the mix of runs and changes a frame holds.
Bitmap<Pixel> randomPicture(std::mt19937& random, int width, int height) {
    Bitmap<Pixel> bitmap(width, height);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> chance(0, 9);
    Pixel run{};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (chance(random) == 0)
                run = Pixel{std::uint8_t(byte(random)), std::uint8_t(byte(random)),
                            std::uint8_t(byte(random)), std::uint8_t(byte(random))};
            bitmap.scanline(y)[x] = run;
        }
    }
    return bitmap;
}

// Mostly ordinary colours, sometimes channels outside 0 to 255 or a translucent alpha.
Colour randomColour(std::mt19937& random) {
    std::uniform_real_distribution<float> channel(0.0f, 255.0f);
    std::uniform_real_distribution<float> wild(-400.0f, 700.0f);
    std::uniform_int_distribution<int> chance(0, 7);
    const auto pick = [&] { return chance(random) == 0 ? wild(random) : channel(random); };
    return Colour(pick(), pick(), pick(), pick());
}

struct Shape {
    int width, height;
    int x1, y1, x2, y2, x3, y3;
    Colour c1, c2, c3;
};

// Coordinates around and beyond the picture, now and then far outside it.
Shape randomShape(std::mt19937& random) {
    std::uniform_int_distribution<int> size(0, 37);
    Shape shape{};
    shape.width = size(random);
    shape.height = size(random);
    std::uniform_int_distribution<int> near(-12, 50);
    std::uniform_int_distribution<int> chance(0, 15);
    const auto coordinate = [&] {
        return chance(random) == 0 ? (near(random) < 20 ? -(1 << 30) : 1 << 30) : near(random);
    };
    for (int* c : {&shape.x1, &shape.y1, &shape.x2, &shape.y2, &shape.x3, &shape.y3})
        *c = coordinate();
    shape.c1 = randomColour(random);
    shape.c2 = randomColour(random);
    shape.c3 = randomColour(random);
    return shape;
}

// Runs `draw` on the fast primitive and `reference` on a copy, over many random shapes.
template <typename Fast, typename Reference>
void expectSamePixels(Fast draw, Reference reference) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 3000; ++round) {
        const Shape shape = randomShape(random);
        Bitmap<Pixel> fast = randomPicture(random, shape.width, shape.height);
        Bitmap<Pixel> expected = fast;
        draw(fast, shape);
        reference(expected, shape);
        ASSERT_EQ(fast.pixels(), expected.pixels())
            << "round " << round << ", " << shape.width << " x " << shape.height << ", points "
            << shape.x1 << "," << shape.y1 << " " << shape.x2 << "," << shape.y2 << " " << shape.x3
            << "," << shape.y3;
    }
}

} // namespace

TEST(BitmapReference, BlendIsTheChannelFormulaForAnyColourAndFactor) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_real_distribution<float> factor(-0.5f, 1.5f);
    const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(), -1e12f, 3e9f, -2147483648.0f};
    for (int round = 0; round < 20000; ++round) {
        Colour c = randomColour(random);
        if (round % 16 == 0)
            (round % 32 == 0 ? c.red : c.alpha) = odd[round / 16 % std::size(odd)];
        const float k = factor(random);
        const Pixel before{std::uint8_t(byte(random)), std::uint8_t(byte(random)),
                           std::uint8_t(byte(random)), std::uint8_t(byte(random))};
        Bitmap<Pixel> bitmap(1, 1, before);
        bitmap.blend(0, c, k);
        const float opacity = c.alpha * 0.003921569f * k;
        const auto channel = [&](float colour, std::uint8_t pixel) {
            return gui::channelByte(colour * opacity +
                                    static_cast<float>(pixel) * (1.0f - opacity));
        };
        const Pixel expected{channel(c.red, before.red), channel(c.green, before.green),
                             channel(c.blue, before.blue), channel(c.alpha, before.alpha)};
        ASSERT_EQ(bitmap.pixels()[0], expected) << "round " << round;
    }
}

// Each fill against the old code that tested and blended every pixel on its own.
TEST(BitmapReference, FillsMatchTheirPixelByPixelReferences) {
    expectSamePixels(
        [](Bitmap<Pixel>& b, const Shape& s) {
            b.fillVerticalGradient(s.x1, s.y1, s.x2, s.y2, s.c1, s.c2);
            b.fillHorizontalGradient(s.x2, s.y2, s.x3, s.y3, s.c2, s.c3);
            b.fillTriangle(s.x1, s.y1, s.x2, s.y2, s.x3, s.y3, s.c1, s.c2, s.c3);
        },
        [](Bitmap<Pixel>& b, const Shape& s) {
            referenceVerticalGradient(b, s.x1, s.y1, s.x2, s.y2, s.c1, s.c2);
            referenceHorizontalGradient(b, s.x2, s.y2, s.x3, s.y3, s.c2, s.c3);
            referenceTriangle(b, s.x1, s.y1, s.x2, s.y2, s.x3, s.y3, s.c1, s.c2, s.c3);
        });
}
