#include "gui/FrameRenderer.h"

#include "platform/Desktop.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gui {

namespace {

const Colour gridColour(31, 31, 31, 255);
constexpr double scaleFloor = 0.1;

// 0 for anything not above 0 (not a number included), at most 1.
float unitInterval(double value) {
    return static_cast<float>(value > 1.0 ? 1.0 : (value > 0.0 ? value : 0.0));
}

struct Scale {
    double maximum = 0.0;
    Colour alert{0, 0, 0, 0};
    bool alerting = false;
};

Scale scaleOf(const DisplayConfiguration& display) {
    Scale scale;
    for (const GraphConfiguration& graph : display.graphs) {
        if (!graph.view)
            continue;
        if (!display.fixedScale && graph.rescale)
            scale.maximum = std::max(scale.maximum, graph.view->getScaledMaximum());
        if (graph.highlight.enabled) {
            const float intensity = alertIntensity(graph.highlight, graph.view->getAverage());
            if (intensity > 0.0f) {
                scale.alert += graph.highlight.colour * intensity;
                scale.alerting = true;
            }
        }
    }
    if (display.hasMinimumMaximum && scale.maximum < display.minimumMaximum)
        scale.maximum = display.minimumMaximum;
    if (display.fixedScale)
        scale.maximum = display.fixedMaximum;
    if (scale.maximum == 0.0)
        scale.maximum = scaleFloor;
    return scale;
}

float channel255(float value) {
    return std::clamp(value, 0.0f, 255.0f);
}

// The alert colour laid over the background, as one layer over another.
Colour overlay(const Colour& base, const Colour& alert) {
    const Colour top(channel255(alert.red), channel255(alert.green), channel255(alert.blue),
                     channel255(alert.alpha));
    const float a = top.alpha / 255.0f;
    const float b = base.alpha / 255.0f;
    const float outAlpha = 1.0f - (1.0f - b) * (1.0f - a);
    if (outAlpha <= 0.0f)
        return {0, 0, 0, 0}; // two clear layers stay clear
    const auto mix = [&](float under, float over) {
        return under * b * (1.0f - a) / outAlpha + over * a / outAlpha;
    };
    return {mix(base.red, top.red), mix(base.green, top.green), mix(base.blue, top.blue),
            outAlpha * 255.0f};
}

void roundCorners(Bitmap<Pixel>& bitmap) {
    if (bitmap.width() == 0 || bitmap.height() == 0)
        return;
    const int right = bitmap.width() - 1;
    const int bottom = bitmap.height() - 1;
    for (Pixel* corner : {&bitmap.scanline(0)[0], &bitmap.scanline(0)[right],
                          &bitmap.scanline(bottom)[0], &bitmap.scanline(bottom)[right]})
        corner->alpha = static_cast<std::uint8_t>(corner->alpha / 2);
}

// Columns every fourth sample, moving with the data; rows every tenth of the height on a scale
// of 100, else every eighth.
void drawGrid(Bitmap<Pixel>& bitmap, const DisplayConfiguration& display, std::uint32_t version) {
    const double step = display.step;
    const auto phase =
        static_cast<std::uint32_t>(version - static_cast<std::uint32_t>(display.scrollOffset));
    if (step > 0.0)
        for (double x = (3.0 - phase % 4) * step; x < bitmap.width(); x += 4.0 * step)
            bitmap.drawVerticalLine(static_cast<int>(std::round(x)), gridColour);
    const double rows = bitmap.height() - 1;
    const double spacing = std::round(display.computedMaximum) == 100.0 ? rows / 10 : rows * 0.125;
    for (double y = 0.0; spacing > 0.0 && y < bitmap.height(); y += spacing)
        bitmap.drawHorizontalLine(static_cast<int>(std::round(y)), gridColour);
}

void drawGauge(Bitmap<Pixel>& bitmap, const GaugeLine& gauge, double maximum) {
    const float opacity = gaugeOpacity(gauge.value, maximum);
    if (opacity >= 0.01f) {
        const double limited = std::clamp(gauge.value, 0.0, maximum);
        bitmap.drawDottedHorizontalLine(valueRow(limited, maximum, bitmap.height()), gauge.colour,
                                        gauge.dotPitch, opacity);
    }
}

} // namespace

float gaugeOpacity(double value, double maximum) {
    if (!(maximum > 0.0) || value > 2 * maximum)
        return 0.0f;
    if (value < maximum / 4)
        return static_cast<float>(value / (maximum / 4));
    if (value < maximum)
        return 1.0f;
    return static_cast<float>(value < 2 * maximum ? 2 * maximum / value - 1 : maximum / value);
}

float alertIntensity(const Highlight& highlight, double average) {
    double value = average;
    double threshold = highlight.threshold;
    double reference = threshold; // where the intensity reaches 1
    double start = threshold;     // where the alert begins
    if (highlight.units == Units::Percentage) {
        value /= 100;
        threshold /= 100;
        start = threshold;
        reference = 1.0;
    } else {
        start = threshold * (highlight.inverted ? 1.5 : 0.5);
        reference = threshold;
    }
    const bool alerting = highlight.inverted ? value < start : value > start;
    if (!alerting)
        return 0.0f;
    const double intensity = (value - start) / (reference - start);
    return unitInterval(highlight.inverted ? std::abs(intensity) : intensity);
}

void drawFrame(Bitmap<Pixel>& bitmap, DisplayConfiguration& display, const IDataSet& dataSet) {
    const Scale scale = scaleOf(display);
    display.computedMaximum = scale.maximum;
    const Colour fill =
        scale.alerting ? overlay(display.background, scale.alert) : display.background;
    bitmap.fill(toPixel(fill));
    if (bitmap.height() <= platform::largestTrayIconSize)
        roundCorners(bitmap);
    else
        drawGrid(bitmap, display, dataSet.version());
    bitmap.setAntialiasLines(false);
    bitmap.setIncludeLineEnd(true);
    for (const GaugeLine& gauge : display.gaugeLines)
        drawGauge(bitmap, gauge, scale.maximum);
    const int pitch =
        static_cast<int>(std::min<std::uint32_t>(display.step, std::numeric_limits<int>::max()));
    for (const GraphConfiguration& graph : display.graphs) {
        if (graph.view && graph.renderingMethod && graph.colours) {
            graph.renderingMethod->render(bitmap, *graph.view, pitch, *graph.colours, scale.maximum,
                                          display.fixedScale, graph.fillMode, graph.fillIntensity);
        }
    }
}

} // namespace gui
