// Draws the internal skin and the program icon and writes them into a folder
// (normally res/): main.png, hour.png, min.png, sec.png, attach.png, tickora.ico.
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "artwork.h"
#include "ico_writer.h"
#include "png_writer.h"

namespace {

using skin_art::PngLayout;

// Cairo keeps premultiplied native-endian ARGB; PNG wants straight RGBA.
std::vector<std::uint8_t> StraightPixels(cairo_surface_t* surface, PngLayout layout) {
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<std::uint8_t> out;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = row[x];
            const unsigned alpha = pixel >> 24;
            auto straight = [&](int shift) -> std::uint8_t {
                if (alpha == 0) return 0;
                return static_cast<std::uint8_t>(
                    std::min(255u, (((pixel >> shift) & 0xFF) * 255 + alpha / 2) / alpha));
            };
            if (layout == PngLayout::Rgba) {
                out.insert(out.end(), {straight(16), straight(8), straight(0),
                                       static_cast<std::uint8_t>(alpha)});
            } else {
                // The glass: grey levels 42..210, alpha at most 130.
                const std::uint8_t grey =
                    alpha == 0 ? 0 : std::clamp<std::uint8_t>(straight(16), 42, 210);
                out.insert(out.end(), {grey, static_cast<std::uint8_t>(std::min(alpha, 130u))});
            }
        }
    }
    return out;
}

bool Write(const std::string& folder, const char* name, cairo_surface_t* surface, PngLayout layout,
           bool interlaced) {
    const bool written =
        skin_art::WritePng(folder + "/" + name, cairo_image_surface_get_width(surface),
                           cairo_image_surface_get_height(surface), layout, interlaced,
                           StraightPixels(surface, layout));
    cairo_surface_destroy(surface);
    if (!written) std::fprintf(stderr, "skin_art: cannot write %s/%s\n", folder.c_str(), name);
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_art OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = Write(folder, "main.png", skin_art::DrawFace(), PngLayout::Rgba, true);
    ok &= Write(folder, "hour.png", skin_art::DrawHand(skin_art::kHourHand), PngLayout::Rgba, true);
    ok &=
        Write(folder, "min.png", skin_art::DrawHand(skin_art::kMinuteHand), PngLayout::Rgba, true);
    ok &=
        Write(folder, "sec.png", skin_art::DrawHand(skin_art::kSecondHand), PngLayout::Rgba, true);
    ok &= Write(folder, "attach.png", skin_art::DrawGlass(), PngLayout::GreyAlpha, false);

    std::vector<cairo_surface_t*> icons = {skin_art::DrawIcon(16), skin_art::DrawIcon(32),
                                           skin_art::DrawIcon(128)};
    ok &= skin_art::WriteIcon(folder + "/tickora.ico", icons);
    for (cairo_surface_t* icon : icons) cairo_surface_destroy(icon);
    return ok ? 0 : 1;
}
