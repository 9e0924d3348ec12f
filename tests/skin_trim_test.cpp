// Glass and hands far larger than the face are cut down to what can be shown
// when the skin loads: the clock then shows exactly what it shows with images
// holding only that much, and keeps no more than that in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/clock_positions.h"
#include "render/frame.h"
#include "imaging/imaging_cairo.h"
#include "support/png_maker.h"
#include "support/select_skin.h"
#include "support/skins_folder_test.h"

namespace tickora {
namespace {

namespace fs = std::filesystem;

LocalTime Now() {
    return LocalTime{10, 8, 37, 500};
}

// Noise about a centre, so that any shift of the kept pixels shows.
testing::PixelFunction NoiseAbout(int cx, int cy, std::uint32_t alpha) {
    return [=](int x, int y) {
        std::uint32_t h = static_cast<std::uint32_t>(x - cx) * 73856093u ^
                          static_cast<std::uint32_t>(y - cy) * 19349663u;
        h = (h ^ (h >> 13)) * 0x5bd1e995u;
        return (alpha << 24) | (h & 0xFFFFFF);
    };
}

class SkinTrimming : public testing::SkinsFolderTest {
  protected:
    // A 120 x 100 face with a glass of gw x gh and a second hand of w x h, the
    // same noise about the glass's centre and the hand's pivot in every size.
    void MakeSkin(const char* name, int gw, int gh, int w, int h) {
        const fs::path folder = skinsRoot / name;
        fs::create_directories(folder);
        testing::WriteBytes(folder / "main.png", testing::MakePng(120, 100, NoiseAbout(0, 0, 255)));
        testing::WriteBytes(folder / "attach.png",
                            testing::MakePng(gw, gh, NoiseAbout(gw / 2, gh / 2, 90)));
        testing::WriteBytes(folder / "sec.png",
                            testing::MakePng(w, h, NoiseAbout(w / 3, h / 2, 200)));
    }

    std::vector<std::uint32_t> FrameOf(const char16_t* skin, int scale) {
        testing::SelectSkin(skin);
        clockSettings.Scale = scale;
        LoadSkin();
        const std::optional<Frame> frame = RenderClock();
        EXPECT_TRUE(frame.has_value());
        if (!frame) return {};
        cairo_surface_t* surface = imaging::FrameSurface(frame->target);
        cairo_surface_flush(surface);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < frame->height; ++y) {
            const auto* row =
                reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                                       y * cairo_image_surface_get_stride(surface));
            pixels.insert(pixels.end(), row, row + frame->width);
        }
        return pixels;
    }
};

TEST_F(SkinTrimming, HugeImagesShowWhatTheirVisiblePartShows) {
    if (!imaging::ComposesDamagedAreas())
        GTEST_SKIP() << "only where surfaces follow the shown size";
    SetTimeSource(&Now);
    // Seen of a glass: the face and 16 pixels around it. Of a five-times hand
    // (factor 0.2): the face's half diagonal, 78.1, over 0.2, and 16: 406.5
    // pixels about its pivot, kept in whole pixels: 407.
    MakeSkin("Exact", 152, 132, 1221, 814);
    MakeSkin("Huge", 1352, 1132, 2442, 1628);
    for (const int scale : {100, 63}) {
        const std::vector<std::uint32_t> exact = FrameOf(u"Exact", scale);
        EXPECT_EQ(imaging::ImageWidth(skinSet.glass), 152u) << "small enough to be kept whole";
        const std::vector<std::uint32_t> huge = FrameOf(u"Huge", scale);
        EXPECT_DOUBLE_EQ(HandLengthFactor, 0.2) << "the factor goes by the full width";
        EXPECT_EQ(imaging::ImageWidth(skinSet.glass), 152u);
        EXPECT_EQ(imaging::ImageHeight(skinSet.glass), 132u);
        EXPECT_EQ(imaging::ImageWidth(skinSet.secondHand), 1221u);
        EXPECT_EQ(imaging::ImageHeight(skinSet.secondHand), 814u);
        EXPECT_TRUE(huge == exact) << "scale " << scale;
    }
    SetTimeSource(nullptr);
}

}  // namespace
}  // namespace tickora
