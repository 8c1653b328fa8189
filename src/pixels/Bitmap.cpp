#include "pixels/Bitmap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace gui {

namespace {

constexpr float inverse255 = 0.003921569f;

float opacityOf(const Colour& c, float factor) {
    return c.alpha * inverse255 * factor;
}

// Four channels in one register, in the compilers' (GCC's and Clang's) vector notation: the
// same float operations as one channel at a time, so the same bytes, in a fraction of the time.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));
using Long2 = std::uint64_t __attribute__((vector_size(16)));

// A pixel read as one 32-bit number has its first channel in the low byte.
static_assert(std::endian::native == std::endian::little);

// The four bytes of a pixel, one in each 32-bit lane, by shifts within two 64-bit lanes (which
// every x86-64 processor has; spreading bytes directly needs newer instructions).
Int4 spread(std::uint32_t bytes) {
    Long2 lanes = {bytes, bytes >> 16};
    lanes |= lanes << 24;
    return std::bit_cast<Int4>(lanes) & 0xFF;
}

// The low byte of each lane, gathered back into a pixel's four bytes.
std::uint32_t gather(Int4 channels) {
    Long2 lanes = std::bit_cast<Long2>(channels & 0xFF);
    lanes |= lanes >> 24;
    const Int4 pairs = std::bit_cast<Int4>(lanes);
    const auto high = static_cast<std::uint32_t>(pairs[2]) << 16;
    return high | static_cast<std::uint32_t>(pairs[0] & 0xFFFF);
}

Float4 vectorOf(const Colour& c) {
    return Float4{c.red, c.green, c.blue, c.alpha};
}

// The one blending formula, channelByte(colour * opacity + pixel * (1 - opacity)) for every
// channel, kept in one place so that every primitive gives the same bytes as blend().
template <typename P>
[[gnu::always_inline]] inline void mix(P& p, Float4 colour, float opacity) {
    const Float4 pixel = __builtin_convertvector(spread(std::bit_cast<std::uint32_t>(p)), Float4);
    Float4 mixed = colour * opacity + pixel * (1.0f - opacity);
    // As channelByte: what no 32-bit integer holds (not a number included) becomes 0.
    const Int4 representable = (mixed > -2147483648.0f) & (mixed < 2147483648.0f);
    mixed = representable ? mixed : Float4{};
    p = std::bit_cast<P>(gather(__builtin_convertvector(mixed, Int4)));
}

template <typename P>
[[gnu::always_inline]] inline void mix(P& p, const Colour& c, float opacity) {
    mix(p, vectorOf(c), opacity);
}

// Blends one colour into `count` (at least one) pixels `stride` apart. Under a fill, neighbouring
// pixels are mostly equal (the background, a grid line, an earlier graph's fill of the same column
// or row) and equal pixels blend to equal pixels, so each run of them is blended once.
template <typename P>
void mixRun(P* p, std::ptrdiff_t stride, int count, const Colour& c, float opacity) {
    P before = *p;
    P after = before;
    mix(after, c, opacity);
    for (int i = 0; i < count; ++i, p += stride) {
        if (!(*p == before)) {
            before = *p;
            after = before;
            mix(after, c, opacity);
        }
        *p = after;
    }
}

// Liang-Barsky: clips the segment to the box, keeping the part inside; false when none is.
bool clipSegment(double& x0, double& y0, double& x1, double& y1, double width, double height) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0, width - x0, y0, height - y0};
    double enter = 0.0;
    double leave = 1.0;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false; // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
    }
    if (enter > leave)
        return false;
    const double startX = x0 + enter * dx;
    const double startY = y0 + enter * dy;
    x1 = x0 + leave * dx;
    y1 = y0 + leave * dy;
    x0 = startX;
    y0 = startY;
    return true;
}

// A coordinate truncated into int range (a clipped end point may lie just outside the array).
int truncated(double value) {
    return static_cast<int>(std::clamp(value, -2147483648.0, 2147483647.0));
}

} // namespace

template <typename P>
Bitmap<P>::Bitmap(int width, int height) : Bitmap(width, height, P{255, 255, 255, 255}) {}

template <typename P>
Bitmap<P>::Bitmap(int width, int height, P fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill);
}

// One pixel written, then the written part copied onto the rest, doubling each time: a few
// block copies rather than a store per channel of every pixel.
template <typename P>
void Bitmap<P>::fill(P pixel) {
    if (pixels_.empty())
        return;
    pixels_[0] = pixel;
    for (std::size_t done = 1; done < pixels_.size(); done *= 2)
        std::copy_n(pixels_.data(), std::min(done, pixels_.size() - done), pixels_.data() + done);
}

template <typename P>
void Bitmap<P>::blend(std::size_t index, const Colour& c, float factor) {
    if (index >= pixels_.size())
        return;
    mix(pixels_[index], c, opacityOf(c, factor));
}

template <typename P>
void Bitmap<P>::drawHorizontalLine(int y, const Colour& c) {
    if (y >= 0 && y < height_)
        std::fill_n(scanline(y), width_, toPixel(c));
}

template <typename P>
void Bitmap<P>::drawVerticalLine(int x, const Colour& c) {
    if (x < 0 || x >= width_)
        return;
    const P pixel = toPixel(c);
    for (int y = 0; y < height_; ++y)
        scanline(y)[x] = pixel;
}

template <typename P>
void Bitmap<P>::drawDottedHorizontalLine(int y, const Colour& c, double step, float factor) {
    if (y < 0 || y >= height_)
        return;
    step = step >= 1.0 ? step : 1.0; // also for a step that is not a number
    P* row = scanline(y);
    const float opacity = opacityOf(c, factor);
    for (double x = 0.0; x < width_; x += step)
        mix(row[static_cast<std::size_t>(x)], c, opacity);
}

// Rows above the picture are skipped by starting the colour where the first visible row needs
// it; rows below it end the loop.
template <typename P>
void Bitmap<P>::fillVerticalGradient(int left, int top, int right, int bottom,
                                     const Colour& topColour, const Colour& bottomColour) {
    if (bottom <= top || right <= left)
        return;
    const Colour d = (bottomColour - topColour) *
                     (1.0f / static_cast<float>(static_cast<double>(bottom) - top + 1));
    const int firstRow = std::max(top, 0);
    Colour c = topColour + d * static_cast<float>(static_cast<double>(firstRow) - top);
    const int firstColumn = std::max(left, 0);
    const int endColumn = std::min(right, width_);
    if (firstColumn >= endColumn)
        return; // no column inside (no row to point into either, in a picture 0 wide)
    for (int y = firstRow; y < std::min(bottom, height_); ++y) {
        c += d;
        mixRun(scanline(y) + firstColumn, 1, endColumn - firstColumn, c, opacityOf(c, 1.0f));
    }
}

template <typename P>
void Bitmap<P>::fillHorizontalGradient(int left, int top, int right, int bottom,
                                       const Colour& leftColour, const Colour& rightColour) {
    if (bottom <= top || right <= left)
        return;
    const Colour d = (rightColour - leftColour) *
                     (1.0f / static_cast<float>(static_cast<double>(right) - left + 1));
    const int firstColumn = std::max(left, 0);
    const Colour start =
        leftColour + d * static_cast<float>(static_cast<double>(firstColumn) - left);
    const int endColumn = std::min(right, width_);
    const int firstRow = std::max(top, 0);
    const int rows = std::min(bottom, height_) - firstRow;
    if (rows <= 0)
        return;
    // Every row steps through the same colours, so the fill goes column by column.
    Colour c = start;
    for (int x = firstColumn; x < endColumn; ++x) {
        c += d;
        mixRun(scanline(firstRow) + x, width_, rows, c, opacityOf(c, 1.0f));
    }
}

// The weights are the same expressions evaluated per pixel; only the parts that depend on the
// row alone are taken out of the inner loop, which leaves every result unchanged.
template <typename P>
void Bitmap<P>::fillTriangle(int x1, int y1, int x2, int y2, int x3, int y3, const Colour& c1,
                             const Colour& c2, const Colour& c3) {
    const int minX = std::clamp(std::min({x1, x2, x3}), 0, width_);
    const int lastX = std::min(std::clamp(std::max({x1, x2, x3}), 0, width_), width_ - 1);
    const int minY = std::clamp(std::min({y1, y2, y3}), 0, height_);
    const int lastY = std::min(std::clamp(std::max({y1, y2, y3}), 0, height_), height_ - 1);
    const auto f = [](int v) { return static_cast<float>(v); };
    const float px = f(x2) - f(x1), py = f(y2) - f(y1);
    const float qx = f(x3) - f(x1), qy = f(y3) - f(y1);
    const float pp = px * px + py * py, pq = px * qx + py * qy, qq = qx * qx + qy * qy;
    const float den = pp * qq - pq * pq;
    const float dx12 = f(x1) - f(x2), dx23 = f(x2) - f(x3), dx31 = f(x3) - f(x1);
    const float dy12 = f(y1) - f(y2), dy23 = f(y2) - f(y3), dy31 = f(y3) - f(y1);
    const Float4 v1 = vectorOf(c1), v2 = vectorOf(c2), v3 = vectorOf(c3);
    for (int y = minY; y <= lastY; ++y) {
        const float fy = f(y);
        const float row1 = (fy - f(y1)) * dx12;
        const float row2 = (fy - f(y2)) * dx23;
        const float row3 = (fy - f(y3)) * dx31;
        const float ry = fy - f(y1);
        const float ryp = ry * py, ryq = ry * qy;
        P* line = scanline(y);
        for (int x = minX; x <= lastX; ++x) {
            const float fx = f(x);
            const float e1 = row1 - (fx - f(x1)) * dy12;
            const float e2 = row2 - (fx - f(x2)) * dy23;
            const float e3 = row3 - (fx - f(x3)) * dy31;
            if (!(e1 > 0.0f && e2 > 0.0f && e3 > 0.0f))
                continue;
            // A pixel strictly inside means the triangle has an area, so den is not zero.
            const float rx = fx - f(x1);
            const float rp = rx * px + ryp, rq = rx * qx + ryq;
            const float w2 = (qq * rp - pq * rq) / den;
            const float w3 = (pp * rq - pq * rp) / den;
            const float w1 = 1.0f - w2 - w3;
            const Float4 c = v1 * w1 + v2 * w2 + v3 * w3;
            mix(line[x], c, c[3] * inverse255); // the opacity of a factor of 1
        }
    }
}

template <typename P>
void Bitmap<P>::drawLine(int x0, int y0, const Colour& c0, int x1, int y1, const Colour& c1) {
    if (!inside(x0, y0) || !inside(x1, y1)) {
        double cx0 = x0, cy0 = y0, cx1 = x1, cy1 = y1;
        if (!clipSegment(cx0, cy0, cx1, cy1, width_, height_))
            return;
        x0 = truncated(cx0);
        y0 = truncated(cy0);
        x1 = truncated(cx1);
        y1 = truncated(cy1);
    }
    drawLineSteps(x0, y0, x1, y1, c0, c1);
}

// Bresenham's walk with a linear distance filter: each step blends the pixel on the line and
// its two neighbours across it by their distance from the ideal line.
template <typename P>
void Bitmap<P>::drawLineSteps(int x0, int y0, int x1, int y1, const Colour& c0, const Colour& c1) {
    const long long dx = static_cast<long long>(x1) - x0;
    const long long dy = static_cast<long long>(y1) - y0;
    const bool yMajor = std::llabs(dy) >= std::llabs(dx);
    long long major = std::max(std::llabs(dx), std::llabs(dy));
    const long long minor = std::min(std::llabs(dx), std::llabs(dy));
    const int stepX = dx < 0 ? -1 : 1;
    const int stepY = dy < 0 ? -1 : 1;
    if (includeLineEnd_)
        ++major;
    if (major == 0)
        return; // a single point without its end: nothing to draw
    long long err = 2 * minor - major;
    const double invDen = 1.0 / (2.0 * std::sqrt(double(minor * minor + major * major)));
    const double twoMajorInvDen = 2.0 * double(major) * invDen;
    long long dist = 0;
    const Float4 s = vectorOf((c1 - c0) * (1.0f / static_cast<float>(major)));
    Float4 c = vectorOf(c0);
    const auto blendAt = [this](int px, int py, Float4 colour, float factor) {
        if (inside(px, py))
            mix(scanline(py)[px], colour, colour[3] * inverse255 * factor);
    };
    int x = x0;
    int y = y0;
    for (long long i = 0; i < major; ++i) {
        c += s;
        if (antialiasLines_) {
            const double d = double(dist) * invDen;
            const int nx = yMajor ? 1 : 0;
            const int ny = yMajor ? 0 : 1;
            blendAt(x, y, c, static_cast<float>(1.0 - std::abs(d) * 2.0 / 3.0));
            blendAt(x + nx, y + ny, c,
                    static_cast<float>(1.0 - std::abs(twoMajorInvDen - d) * 2.0 / 3.0));
            blendAt(x - nx, y - ny, c,
                    static_cast<float>(1.0 - std::abs(twoMajorInvDen + d) * 2.0 / 3.0));
        } else {
            blendAt(x, y, c, 1.0f);
        }
        if (err < 0) {
            dist = err + major;
            err += 2 * minor;
        } else {
            dist = err - major;
            err += 2 * (minor - major);
            (yMajor ? x : y) += yMajor ? stepX : stepY;
        }
        (yMajor ? y : x) += yMajor ? stepY : stepX;
    }
}

template <typename P>
void Bitmap<P>::drawRectangle(int left, int top, int right, int bottom, const Colour& c) {
    const auto saved = std::pair(antialiasLines_, includeLineEnd_);
    antialiasLines_ = includeLineEnd_ = true;
    drawLine(left, top, c, right, top, c);
    drawLine(right, top, c, right, bottom, c);
    drawLine(right, bottom, c, left, bottom, c);
    drawLine(left, bottom, c, left, top, c);
    std::tie(antialiasLines_, includeLineEnd_) = saved;
}

template class Bitmap<Pixel>;

} // namespace gui
