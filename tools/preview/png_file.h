// Writes a Cairo surface as a PNG file that is complete or not there at all.
#pragma once

#include <cairo.h>

#include <string>

namespace preview {

// Encodes the image, writes it to a temporary file in the same folder and renames
// that over path. On any failure the earlier file at path stays untouched, the
// temporary file is removed, and error says what went wrong.
bool WritePngAtomically(cairo_surface_t* image, const std::string& path, std::string& error);

}  // namespace preview
