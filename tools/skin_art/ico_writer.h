// Writes an icon file of 8-bit (256-colour) device-independent bitmaps, each
// with its AND mask.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace skin_art {

bool WriteIcon(const std::string& path, const std::vector<cairo_surface_t*>& images);

}  // namespace skin_art
