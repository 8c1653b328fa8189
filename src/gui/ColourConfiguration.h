#pragma once

#include "values/Colour.h"

#include <vector>

namespace gui {

// A graph's colour stops: the colour of a value is interpolated between the stops around it.
class ColourConfiguration {
public:
    struct Stop {
        double value;
        Colour colour;
    };

    // Orders the stops by value.
    explicit ColourConfiguration(std::vector<Stop> stops);

    // Opaque white without stops; below the first stop its colour, above the last the last's.
    Colour colourAt(double value) const;

private:
    std::vector<Stop> stops_;
};

} // namespace gui
