#pragma once

#include "pixels/Bitmap.h"

#include <memory>
#include <string>

namespace test {

// Writes a bitmap as an 8-bit RGBA PNG file; throws std::runtime_error on failure.
void writePng(const std::string& fileName, const gui::Bitmap<gui::Pixel>& bitmap);
// Reads a PNG file as RGBA pixels, or returns null when it cannot.
std::unique_ptr<gui::Bitmap<gui::Pixel>> readPng(const std::string& fileName);

} // namespace test
