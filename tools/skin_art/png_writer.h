// Writes straight (not premultiplied) 8-bit pixels as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skin_art {

enum class PngLayout { Rgba, GreyAlpha };

// pixels: rows of width * 4 (RGBA) or width * 2 (grey, alpha) bytes, top row first.
bool WritePng(const std::string& path, int width, int height, PngLayout layout, bool interlaced,
              const std::vector<std::uint8_t>& pixels);

}  // namespace skin_art
