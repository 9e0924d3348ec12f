// The internal skin's artwork as committed in res/: sizes, formats and the
// geometry the drawing code relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/imaging.h"
#include "skin/resources.h"
#include "support/pixels.h"

namespace tickora {
namespace {

using testing::AlphaOf;
using testing::PixelAt;

std::vector<unsigned char> ReadRes(const std::string& name) {
    std::ifstream in(std::string(TICKORA_RES_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct PngHeader {
    std::uint32_t width, height;
    int bitDepth, colourType, interlace;
};

PngHeader HeaderOf(const std::vector<unsigned char>& png) {
    auto be32 = [&](std::size_t at) {
        return (std::uint32_t{png[at]} << 24) | (std::uint32_t{png[at + 1]} << 16) |
               (std::uint32_t{png[at + 2]} << 8) | std::uint32_t{png[at + 3]};
    };
    return {be32(16), be32(20), png[24], png[25], png[28]};
}

TEST(InternalSkinFiles, SizesAndPixelFormats) {
    struct Expected {
        const char* file;
        std::uint32_t width, height;
        int colourType;  // 6: RGBA, 4: grey with alpha
        int interlace;   // 1: Adam7
    };
    const Expected files[] = {{"main.png", 290, 290, 6, 1},     {"hour.png", 104, 17, 6, 1},
                              {"min.png", 140, 17, 6, 1},       {"sec.png", 162, 17, 6, 1},
                              {"attach.png", 290, 290, 4, 0},   {"main@2x.png", 580, 580, 6, 1},
                              {"attach@2x.png", 580, 580, 4, 0}};
    for (const Expected& expected : files) {
        SCOPED_TRACE(expected.file);
        const auto png = ReadRes(expected.file);
        ASSERT_GT(png.size(), 33u);
        const PngHeader header = HeaderOf(png);
        EXPECT_EQ(header.width, expected.width);
        EXPECT_EQ(header.height, expected.height);
        EXPECT_EQ(header.bitDepth, 8);
        EXPECT_EQ(header.colourType, expected.colourType);
        EXPECT_EQ(header.interlace, expected.interlace);
    }
}

TEST(InternalSkinFiles, EmbeddedCopiesAreFoundWithoutRegardToCase) {
    const std::pair<const char16_t*, const char*> names[] = {{u"MAIN", "main.png"},
                                                             {u"hour", "hour.png"},
                                                             {u"Min", "min.png"},
                                                             {u"SEC", "sec.png"},
                                                             {u"attach", "attach.png"},
                                                             {u"main@2x", "main@2x.png"},
                                                             {u"ATTACH@2X", "attach@2x.png"}};
    for (const auto& [name, file] : names) {
        const ResourceBytes resource = FindPngResource(name);
        ASSERT_NE(resource.data, nullptr) << file;
        const auto* bytes = static_cast<const unsigned char*>(resource.data);
        EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + resource.size), ReadRes(file)) << file;
    }
    EXPECT_EQ(FindPngResource(u"GLASS").data, nullptr);
    EXPECT_EQ(FindPngResource(u"MAINX").data, nullptr);
}

class InternalSkinPixels : public ::testing::Test {
  protected:
    imaging::Image* Load(const char16_t* name) {
        const ResourceBytes resource = FindPngResource(name);
        images.push_back(imaging::CreateImageFromBytes(resource.data, resource.size));
        return images.back();
    }
    void TearDown() override {
        for (imaging::Image* image : images) imaging::DisposeImage(image);
    }
    std::vector<imaging::Image*> images;
};

TEST_F(InternalSkinPixels, DialIsAnOpaqueDiscWithASoftShadow) {
    imaging::Image* face = Load(u"MAIN");
    int firstColumn = 290, lastColumn = -1, firstRow = 290, lastRow = -1;
    for (int y = 0; y < 290; ++y) {
        for (int x = 0; x < 290; ++x) {
            const std::uint32_t alpha = AlphaOf(PixelAt(face, x, y));
            const double r = std::hypot(x + 0.5 - 145, y + 0.5 - 145);
            if (r <= 128.0) {
                ASSERT_EQ(alpha, 255u) << x << "," << y;
            }
            if (r > 130.0) {
                ASSERT_LE(alpha, 126u) << x << "," << y;
            }
            if (alpha == 0) continue;
            firstColumn = std::min(firstColumn, x);
            lastColumn = std::max(lastColumn, x);
            firstRow = std::min(firstRow, y);
            lastRow = std::max(lastRow, y);
        }
    }
    EXPECT_EQ(firstColumn, 2);
    EXPECT_EQ(lastColumn, 287);
    EXPECT_EQ(firstRow, 1);
    EXPECT_EQ(lastRow, 287);
    // The shadow fades outwards; the field is dark grey.
    EXPECT_GT(AlphaOf(PixelAt(face, 145, 275)), AlphaOf(PixelAt(face, 145, 284)));
    EXPECT_EQ(PixelAt(face, 145 + 60, 145 + 20) & 0xFFFFFF, 0x191919u);
}

TEST_F(InternalSkinPixels, HandsHaveTheirHubAtOneThirdAndShaftsAsTabled) {
    struct Hand {
        const char16_t* name;
        int width;
        int thickness;
        int endColumn;
    };
    for (const Hand& hand :
         {Hand{u"HOUR", 104, 9, 102}, Hand{u"MIN", 140, 9, 138}, Hand{u"SEC", 162, 3, 160}}) {
        SCOPED_TRACE(hand.endColumn);
        imaging::Image* image = Load(hand.name);
        ASSERT_EQ(imaging::ImageWidth(image), static_cast<std::uint32_t>(hand.width));
        // Shaft: opaque light grey rows centred on the mid-line, up to the end column.
        const int column = hand.endColumn - 5;
        int opaqueRows = 0;
        for (int y = 0; y < 17; ++y) {
            const std::uint32_t pixel = PixelAt(image, column, y);
            if (AlphaOf(pixel) == 255) {
                ++opaqueRows;
                EXPECT_GE(pixel & 0xFF, 241u);
            } else {
                EXPECT_EQ(AlphaOf(pixel), 0u);
            }
        }
        EXPECT_EQ(opaqueRows, hand.thickness);
        EXPECT_EQ(AlphaOf(PixelAt(image, column, 8)), 255u);
        EXPECT_EQ(AlphaOf(PixelAt(image, hand.endColumn, 8)), 255u);
        for (int y = 0; y < 17; ++y) EXPECT_EQ(AlphaOf(PixelAt(image, hand.width - 1, y)), 0u);
        // Hub: round, about 15 pixels across, centred at (width / 3, 8.5).
        const int hubX = hand.width / 3;
        EXPECT_GT(AlphaOf(PixelAt(image, hubX, 1)), 200u);
        EXPECT_GT(AlphaOf(PixelAt(image, hubX, 15)), 200u);
        EXPECT_EQ(AlphaOf(PixelAt(image, hubX, 0)), 0u);
        EXPECT_GT(AlphaOf(PixelAt(image, hubX - 7, 8)), 128u);
        EXPECT_EQ(AlphaOf(PixelAt(image, hubX - 9, 3)), 0u);
    }
}

TEST_F(InternalSkinPixels, GlassIsFaintAndHeavierAtTheTop) {
    imaging::Image* glass = Load(u"attach");
    ASSERT_EQ(imaging::ImageWidth(glass), 290u);
    long top = 0, bottom = 0;
    for (int y = 0; y < 290; ++y) {
        for (int x = 0; x < 290; ++x) {
            const std::uint32_t pixel = PixelAt(glass, x, y);
            const std::uint32_t alpha = AlphaOf(pixel);
            ASSERT_LE(alpha, 130u);
            if (x < 28 || x > 260 || y < 28 || y > 260) {
                ASSERT_EQ(alpha, 0u) << x << "," << y;
            }
            (y < 145 ? top : bottom) += alpha;
            // Premultiplied pixels keep too little colour to tell below this.
            if (alpha < 64) continue;
            const std::uint32_t grey = ((pixel & 0xFF) * 255 + alpha / 2) / alpha;
            ASSERT_GE(grey, 40u);
            ASSERT_LE(grey, 212u);
        }
    }
    EXPECT_GT(top, 2 * bottom);
}

}  // namespace
}  // namespace tickora
