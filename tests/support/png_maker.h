// Makes PNG files for tests: any size, any pixels, and broken ones on purpose.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace tickora::testing {

// Straight (not premultiplied) 0xAARRGGBB for the pixel at x, y.
using PixelFunction = std::function<std::uint32_t(int x, int y)>;

// An 8-bit RGBA PNG, not interlaced, compressed with stored blocks only.
std::vector<std::uint8_t> MakePng(int width, int height, const PixelFunction& pixel);
// A solid opaque rectangle of the given colour.
std::vector<std::uint8_t> MakeSolidPng(int width, int height, std::uint32_t argb = 0xFFC0C0C0);
// A valid signature and header claiming this size, with no image data after it.
std::vector<std::uint8_t> MakePngHeaderOnly(std::uint32_t width, std::uint32_t height);

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace tickora::testing
