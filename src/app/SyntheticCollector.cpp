#include "app/SyntheticCollector.h"

#include <cmath>
#include <numbers>

namespace {

constexpr std::uint32_t rampLength = 120; // samples
constexpr std::uint32_t sinePeriod = 60;
constexpr std::uint32_t stepLength = 30;

double rangeOf(Units units) {
    switch (units) {
    case Units::Rate:
        return 2'000'000.0; // bytes a second
    case Units::Size:
        return 8'000'000'000.0; // bytes
    default:
        return 100.0;
    }
}

} // namespace

SyntheticCollector::SyntheticCollector(Units units, std::string name, Shape shape)
    : DataCollector(units, std::move(name)), shape_(shape), range_(rangeOf(units)) {}

void SyntheticCollector::collect() {
    publish(next());
    ++count_;
}

double SyntheticCollector::next() {
    switch (shape_) {
    case Shape::Ramp:
        return range_ * (count_ % rampLength) / (rampLength - 1);
    case Shape::Sine:
        return range_ * (0.5 + 0.4 * std::sin(2.0 * std::numbers::pi * count_ / sinePeriod));
    case Shape::Steps:
        if (count_ % stepLength == 0)
            level_ = range_ * static_cast<double>(levels_() % 1000) / 1000.0;
        return level_;
    }
    return 0.0;
}
