#pragma once

#include "monitoring/DataCollector.h"

#include <cstdint>
#include <random>

// Made-up samples for previews that must look the same on every run and every machine: a ramp,
// a sine or steps between levels drawn from a fixed seed, spanning a range that suits the units.
class SyntheticCollector : public util::system::monitoring::DataCollector {
public:
    enum class Shape { Ramp, Sine, Steps };

    SyntheticCollector(Units units, std::string name, Shape shape);
    void collect() override;

private:
    double next();

    Shape shape_;
    double range_;
    std::uint32_t count_ = 0;
    std::minstd_rand levels_{20261206}; // its output is fixed by the standard, unlike distributions
    double level_ = 0.0;
};
