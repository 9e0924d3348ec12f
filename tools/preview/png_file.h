// Writes a Cairo surface as a PNG.
#pragma once

#include <cairo.h>

#include <string>

namespace preview {

// Encodes the image and writes it to path by the rule for every file the clock
// and its tools write (settings/file_replace_posix.h): a regular file or a new
// name is replaced atomically, so on failure the earlier file stays untouched; a
// device or FIFO is written straight through; a symbolic link is followed. "-"
// is standard output. On failure error says what went wrong.
bool WritePng(cairo_surface_t* image, const std::string& path, std::string& error);

}  // namespace preview
