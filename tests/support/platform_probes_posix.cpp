#include <cairo.h>

#include "render/imaging_cairo.h"
#include "skin/skin.h"
#include "support/platform_probes.h"

namespace tickora::testing {

long DrawingObjectCount() {
    return static_cast<long>(imaging::LiveObjectCount());
}

std::vector<void*> FrameHandles() {
    cairo_surface_t* pixels = imaging::FrameSurface(drawingSurfaces.frame);
    if (pixels == nullptr) return {};
    return {cairo_surface_reference(pixels)};
}

bool FrameHandleInUse(void* handle) {
    // One reference is the caller's own.
    return cairo_surface_get_reference_count(static_cast<cairo_surface_t*>(handle)) > 1;
}

void LetGoOfFrameHandles(const std::vector<void*>& handles) {
    for (void* handle : handles) cairo_surface_destroy(static_cast<cairo_surface_t*>(handle));
}

void MakeHidden(const std::filesystem::path&) {}

}  // namespace tickora::testing
