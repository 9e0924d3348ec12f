#include "png_file.h"

#include <glib.h>

namespace preview {
namespace {

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool WritePngAtomically(cairo_surface_t* image, const std::string& path, std::string& error) {
    std::string encoded;
    const cairo_status_t status = cairo_surface_write_to_png_stream(image, &Append, &encoded);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = cairo_status_to_string(status);
        return false;
    }
    // GLib writes "path.XXXXXX" beside path, syncs it and renames it into place;
    // it removes the temporary file when anything fails.
    GError* failure = nullptr;
    if (!g_file_set_contents_full(path.c_str(), encoded.data(), static_cast<gssize>(encoded.size()),
                                  G_FILE_SET_CONTENTS_CONSISTENT, 0666, &failure)) {
        error = failure->message;
        g_error_free(failure);
        return false;
    }
    return true;
}

}  // namespace preview
