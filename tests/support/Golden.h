#pragma once

#include "pixels/Bitmap.h"

#include <string>

namespace test {

// Compares `bitmap` pixel for pixel with tests/data/golden/<name>.png, reporting the first
// pixel that differs. With PAKVUE_UPDATE_GOLDEN=1 it writes the picture instead: do that only on
// purpose, after looking at what changed.
void checkGolden(const std::string& name, const gui::Bitmap<gui::Pixel>& bitmap);

} // namespace test
