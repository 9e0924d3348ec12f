#include "png_file.h"

#include <unistd.h>

#include "settings/file_replace_posix.h"

namespace preview {
namespace {

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool WritePng(cairo_surface_t* image, const std::string& path, std::string& error) {
    std::string encoded;
    const cairo_status_t status = cairo_surface_write_to_png_stream(image, &Append, &encoded);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = cairo_status_to_string(status);
        return false;
    }
    if (path == "-") return tickora::WriteAll(STDOUT_FILENO, encoded, &error);
    return tickora::WriteOutput(path, encoded, 0666, &error);
}

}  // namespace preview
