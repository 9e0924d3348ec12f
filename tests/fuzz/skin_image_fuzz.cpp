// Arbitrary bytes as a skin image through the Cairo backend: decoded from memory
// and from a file (both must agree), measured, then drawn scaled and rotated into
// a small bitmap as the clock draws its face and hands.
#include <glib.h>
#include <glib/gstdio.h>

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "imaging/imaging.h"
#include "scratch_folder.h"

using namespace tickora::imaging;

namespace {

std::u16string imageFile;

std::u16string Utf16(const char* text) {
    gunichar2* wide = g_utf8_to_utf16(text, -1, nullptr, nullptr, nullptr);
    std::u16string result(reinterpret_cast<const char16_t*>(wide));
    g_free(wide);
    return result;
}

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

// The decoder refuses a chunk whose checksum does not match, so almost every
// plain mutation would end there. After mutating, each whole chunk gets its
// checksum right again and the mutation reaches what the chunk says.
void FixChunkChecksums(std::uint8_t* data, std::size_t size) {
    std::size_t at = 8;  // past the signature
    while (at + 12 <= size) {
        const std::size_t length = BigEndian32(data + at);
        if (length > size - at - 12) return;
        const auto crc =
            static_cast<std::uint32_t>(crc32(0, data + at + 4, static_cast<uInt>(length + 4)));
        std::uint8_t* stored = data + at + 8 + length;
        for (int i = 0; i < 4; ++i) stored[i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        at += length + 12;
    }
}

}  // namespace

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    // Now and then the checksums stay as they are, so that path is fuzzed too.
    if (seed % 8 != 0) FixChunkChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    imageFile = Utf16((tickora::fuzz::MakeScratchFolder() + "/sec.png").c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Image* image = CreateImageFromBytes(data, size);
    if (image == nullptr) return 0;
    const std::uint32_t width = ImageWidth(image);
    const std::uint32_t height = ImageHeight(image);

    gchar* path = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(imageFile.c_str()), -1,
                                  nullptr, nullptr, nullptr);
    g_file_set_contents(path, reinterpret_cast<const gchar*>(data), static_cast<gssize>(size),
                        nullptr);
    g_free(path);
    Image* fromFile = CreateImageFromFile(imageFile.c_str());
    if (fromFile != nullptr && (ImageWidth(fromFile) != width || ImageHeight(fromFile) != height)) {
        std::abort();
    }
    DisposeImage(fromFile);

    Image* bitmap = CreateBitmap(24, 24);
    Graphics* graphics = CreateImageGraphics(bitmap);
    SetInterpolationMode(graphics, kInterpolationHighQualityBicubic);
    GraphicsClear(graphics, 0);
    DrawImageRectI(graphics, image, 2, 3, 17, 11);
    DrawImageRect(graphics, image, -0.5f, 0.25f, 30.5f, 7.75f);
    // A hand turned by an angle taken from the input, pivoting near the middle.
    const double angle = size > 0 ? data[size / 2] * (M_PI / 128) : 0.0;
    const float c = static_cast<float>(std::cos(angle)) * 10;
    const float s = static_cast<float>(std::sin(angle)) * 10;
    const PointF points[3] = {{12, 12}, {12 + c, 12 + s}, {12 - s / 3, 12 + c / 3}};
    DrawImagePoints(graphics, image, points);
    CachedBitmap* cached = CreateCachedBitmap(bitmap, graphics);
    DrawCachedBitmap(graphics, cached, 1, 1);
    DeleteCachedBitmap(cached);
    DeleteGraphics(graphics);
    DisposeImage(bitmap);
    DisposeImage(image);
    return 0;
}
