// Draws the clock's artwork and writes it into the source tree: the internal
// skin and the Windows icon (res/), the bundled skins (skins/NAME/) and the
// Linux icons (packaging/linux/icons/). With --row it lays images side by side.
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "artwork.h"
#include "drawing.h"
#include "ico_writer.h"
#include "png_writer.h"
#include "skins.h"

namespace {

using skin_art::PngLayout;

constexpr int kLinuxIconSizes[] = {16, 32, 48, 64, 128, 256};

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

// Writes and frees the surface.
bool Write(const std::string& path, cairo_surface_t* surface, PngLayout layout = PngLayout::Rgba,
           bool interlaced = false) {
    const bool written = skin_art::WritePng(path, cairo_image_surface_get_width(surface),
                                            cairo_image_surface_get_height(surface), layout,
                                            interlaced, StraightPixels(surface, layout));
    cairo_surface_destroy(surface);
    if (!written) std::fprintf(stderr, "skin_art: cannot write %s\n", path.c_str());
    return written;
}

bool WriteInternalSkin(const std::string& res) {
    bool ok = Write(res + "/main.png", skin_art::DrawFace(), PngLayout::Rgba, true);
    ok &= Write(res + "/hour.png", skin_art::DrawHand(skin_art::kHourHand), PngLayout::Rgba, true);
    ok &= Write(res + "/min.png", skin_art::DrawHand(skin_art::kMinuteHand), PngLayout::Rgba, true);
    ok &= Write(res + "/sec.png", skin_art::DrawHand(skin_art::kSecondHand), PngLayout::Rgba, true);
    ok &= Write(res + "/attach.png", skin_art::DrawGlass(), PngLayout::GreyAlpha, false);
    // The copies a high-density screen or a large Scale draws from (the Linux
    // build embeds them; Windows reads the five above alone).
    ok &= Write(res + "/main@2x.png", skin_art::DrawFace(2), PngLayout::Rgba, true);
    ok &= Write(res + "/attach@2x.png", skin_art::DrawGlass(2), PngLayout::GreyAlpha, false);

    std::vector<cairo_surface_t*> icons = {skin_art::DrawIcon(16), skin_art::DrawIcon(32),
                                           skin_art::DrawIcon(128)};
    ok &= skin_art::WriteIcon(res + "/tickora.ico", icons);
    for (cairo_surface_t* icon : icons) cairo_surface_destroy(icon);
    return ok;
}

bool WriteSkin(const std::string& skins, const skin_art::SkinArt& art) {
    const std::string folder = skins + "/" + art.name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    bool ok = Write(folder + "/main.png", art.face);
    ok &= Write(folder + "/hour.png", art.hourHand);
    ok &= Write(folder + "/min.png", art.minuteHand);
    ok &= Write(folder + "/sec.png", art.secondHand);
    if (art.glass != nullptr) ok &= Write(folder + "/attach.png", art.glass);
    ok &= Write(folder + "/main@2x.png", art.faceAt2x);
    if (art.glassAt2x != nullptr) ok &= Write(folder + "/attach@2x.png", art.glassAt2x);
    return ok;
}

bool WriteLinuxIcons(const std::string& folder) {
    std::filesystem::create_directories(folder);
    bool ok = true;
    for (int size : kLinuxIconSizes) {
        ok &= Write(folder + "/" + std::to_string(size) + ".png", skin_art::DrawIcon(size));
    }
    return ok;
}

// A part of each image: x, y, width, height; a width of 0 keeps the whole image.
struct Cut {
    int x = 0, y = 0, width = 0, height = 0;
};

// The images (or the same part of each) in a row on a light backdrop, 16
// pixels apart, bottoms aligned.
bool WriteRow(const std::string& output, const std::vector<std::string>& inputs, Cut cut = {}) {
    constexpr int kGap = 16;
    std::vector<cairo_surface_t*> images;
    int width = kGap;
    int height = 0;
    for (const std::string& input : inputs) {
        cairo_surface_t* image = cairo_image_surface_create_from_png(input.c_str());
        if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "skin_art: cannot read %s\n", input.c_str());
            cairo_surface_destroy(image);
            for (cairo_surface_t* done : images) cairo_surface_destroy(done);
            return false;
        }
        if (cut.width > 0) {
            cairo_surface_t* part = skin_art::NewSurface(cut.width, cut.height);
            cairo_t* cr = cairo_create(part);
            cairo_set_source_surface(cr, image, -cut.x, -cut.y);
            cairo_paint(cr);
            cairo_destroy(cr);
            cairo_surface_destroy(image);
            image = part;
        }
        images.push_back(image);
        width += cairo_image_surface_get_width(image) + kGap;
        height = std::max(height, cairo_image_surface_get_height(image));
    }
    cairo_surface_t* row = skin_art::NewSurface(width, height + 2 * kGap);
    cairo_t* cr = cairo_create(row);
    cairo_set_source_rgb(cr, 0.86, 0.88, 0.90);
    cairo_paint(cr);
    int x = kGap;
    for (cairo_surface_t* image : images) {
        const int y = kGap + height - cairo_image_surface_get_height(image);
        cairo_set_source_surface(cr, image, x, y);
        cairo_paint(cr);
        x += cairo_image_surface_get_width(image) + kGap;
        cairo_surface_destroy(image);
    }
    cairo_destroy(cr);
    cairo_surface_flush(row);
    return Write(output, row);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--row" && argc > 3) return WriteRow(argv[2], {argv + 3, argv + argc}) ? 0 : 1;
    Cut cut;
    if (first == "--row-cut" && argc > 4 &&
        std::sscanf(argv[2], "%d,%d,%d,%d", &cut.x, &cut.y, &cut.width, &cut.height) == 4 &&
        cut.width > 0 && cut.height > 0) {
        return WriteRow(argv[3], {argv + 4, argv + argc}, cut) ? 0 : 1;
    }
    if (argc != 2 || first.starts_with("-")) {
        std::fprintf(
            stderr,
            "usage: skin_art SOURCE_ROOT          draw all artwork into the sources\n"
            "       skin_art --row OUT.png IN.png...  lay images side by side\n"
            "       skin_art --row-cut X,Y,W,H OUT.png IN.png...  the same part of each\n");
        return 2;
    }
    bool ok = WriteInternalSkin(first + "/res");
    for (const auto& art :
         {skin_art::DrawDaylight(), skin_art::DrawStation(), skin_art::DrawMinimal()}) {
        ok &= WriteSkin(first + "/skins", art);
    }
    ok &= WriteLinuxIcons(first + "/packaging/linux/icons");
    return ok ? 0 : 1;
}
