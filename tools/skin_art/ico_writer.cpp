#include "ico_writer.h"

#include <array>
#include <cstdint>
#include <fstream>

namespace skin_art {
namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

// Index 0 is black (behind the mask), then a 6x6x6 colour cube, then greys.
std::array<Rgb, 256> Palette() {
    std::array<Rgb, 256> palette{};
    int index = 1;
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                palette[index++] =
                    Rgb{static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                        static_cast<std::uint8_t>(b * 51)};
            }
        }
    }
    for (int grey = 0; index < 256; ++index, ++grey) {
        const auto level = static_cast<std::uint8_t>(6 + grey * 6);
        palette[index] = Rgb{level, level, level};
    }
    return palette;
}

std::uint8_t Nearest(const std::array<Rgb, 256>& palette, Rgb colour) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        const int dr = palette[i].r - colour.r;
        const int dg = palette[i].g - colour.g;
        const int db = palette[i].b - colour.b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// BITMAPINFOHEADER, palette, colour rows and mask rows, both bottom-up.
std::vector<std::uint8_t> Bitmap(cairo_surface_t* image, const std::array<Rgb, 256>& palette) {
    const int size = cairo_image_surface_get_width(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int colourStride = (size + 3) / 4 * 4;
    const int maskStride = ((size + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(size * 2));
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>((colourStride + maskStride) * size));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 256);
    Put32(out, 0);
    for (const Rgb& entry : palette) {
        out.insert(out.end(), {entry.b, entry.g, entry.r, 0});
    }
    std::vector<std::uint8_t> colour(static_cast<std::size_t>(colourStride * size));
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(maskStride * size));
    for (int y = 0; y < size; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        const int bottomUp = size - 1 - y;
        for (int x = 0; x < size; ++x) {
            const std::uint32_t pixel = row[x];
            const unsigned alpha = pixel >> 24;
            if (alpha < 128) {
                mask[static_cast<std::size_t>(bottomUp * maskStride + x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
                continue;
            }
            auto straight = [&](int shift) {
                return static_cast<std::uint8_t>(((pixel >> shift) & 0xFF) * 255 / alpha);
            };
            colour[static_cast<std::size_t>(bottomUp * colourStride + x)] =
                Nearest(palette, Rgb{straight(16), straight(8), straight(0)});
        }
    }
    out.insert(out.end(), colour.begin(), colour.end());
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

}  // namespace

bool WriteIcon(const std::string& path, const std::vector<cairo_surface_t*>& images) {
    const auto palette = Palette();
    std::vector<std::vector<std::uint8_t>> bitmaps;
    for (cairo_surface_t* image : images) bitmaps.push_back(Bitmap(image, palette));

    std::vector<std::uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = cairo_image_surface_get_width(images[i]);
        file.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
        file.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
        file.push_back(0);  // 256 colours
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 8);
        Put32(file, static_cast<std::uint32_t>(bitmaps[i].size()));
        Put32(file, offset);
        offset += static_cast<std::uint32_t>(bitmaps[i].size());
    }
    for (const auto& bitmap : bitmaps) file.insert(file.end(), bitmap.begin(), bitmap.end());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

}  // namespace skin_art
