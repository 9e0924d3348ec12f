#include "png_writer.h"

#include <png.h>

#include <cstdio>

namespace skin_art {

bool WritePng(const std::string& path, int width, int height, PngLayout layout, bool interlaced,
              const std::vector<std::uint8_t>& pixels) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool written = false;
    if (png != nullptr && info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        const int colour =
            layout == PngLayout::Rgba ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_GRAY_ALPHA;
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                     8, colour, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 9);
        png_write_info(png, info);
        const std::size_t stride =
            static_cast<std::size_t>(width) * (layout == PngLayout::Rgba ? 4 : 2);
        std::vector<png_bytep> rows(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y) {
            rows[static_cast<std::size_t>(y)] =
                const_cast<png_bytep>(pixels.data() + stride * static_cast<std::size_t>(y));
        }
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return written;
}

}  // namespace skin_art
