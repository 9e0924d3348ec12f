#include "skin_check.h"

#include <glib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>

#include "imaging/imaging_cairo.h"
#include "settings/settings.h"
#include "skin/skin.h"
#include "skin_folder.h"

namespace preview {
namespace {

using tickora::skinSet;
namespace imaging = tickora::imaging;

constexpr const char* kSkinFiles[] = {"main.png",   "hour.png",    "min.png",      "sec.png",
                                      "attach.png", "main@2x.png", "attach@2x.png"};

struct Size {
    std::uint32_t width, height;
};

std::string Text(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

std::string Dimensions(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// The size a PNG file's header claims, without decoding it.
std::optional<Size> HeaderSize(const std::string& path) {
    unsigned char header[24] = {};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return std::nullopt;
    if (header[1] != 'P' || header[2] != 'N' || header[3] != 'G') return std::nullopt;
    auto be32 = [&](int at) {
        return (std::uint32_t{header[at]} << 24) | (std::uint32_t{header[at + 1]} << 16) |
               (std::uint32_t{header[at + 2]} << 8) | std::uint32_t{header[at + 3]};
    };
    return Size{be32(16), be32(20)};
}

class Checker {
  public:
    explicit Checker(std::string folder) : folder_(std::move(folder)) {}

    std::vector<Finding> Run() {
        CheckNames();
        if (!CheckFace()) return findings_;
        const double dialRadius = MeasureDial();
        CheckHands(dialRadius);
        const Size glass = CheckGlass();
        CheckCopyAt2x("main@2x.png", u"main", "main.png",
                      Size{static_cast<std::uint32_t>(skinSet.faceWidth),
                           static_cast<std::uint32_t>(skinSet.faceHeight)});
        CheckCopyAt2x("attach@2x.png", u"attach", "attach.png", glass);
        return findings_;
    }

  private:
    void Add(Severity severity, const std::string& file, const std::string& sentence) {
        findings_.push_back({severity, file, sentence});
    }

    std::string PathOf(const char* file) const { return folder_ + "/" + file; }

    void CheckNames() {
        GDir* listing = g_dir_open(folder_.c_str(), 0, nullptr);
        if (listing == nullptr) return;
        std::vector<std::string> names;
        while (const gchar* entry = g_dir_read_name(listing)) names.emplace_back(entry);
        g_dir_close(listing);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (std::find(std::begin(kSkinFiles), std::end(kSkinFiles), name) !=
                std::end(kSkinFiles)) {
                continue;
            }
            gchar* lower = g_ascii_strdown(name.c_str(), -1);
            const bool miscased = std::find(std::begin(kSkinFiles), std::end(kSkinFiles),
                                            std::string(lower)) != std::end(kSkinFiles);
            g_free(lower);
            Add(Severity::Warning, name,
                miscased ? "is ignored: the clock looks for its name in lower case."
                         : "is not one of main.png, hour.png, min.png, sec.png, attach.png "
                           "and their copies main@2x.png and attach@2x.png; the clock ignores "
                           "it.");
        }
    }

    // True when the clock shows this folder's face.
    bool CheckFace() {
        const std::string path = PathOf("main.png");
        if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) {
            Add(Severity::Error, "main.png",
                "is missing, so the folder is not a skin and the menu does not list it.");
            return false;
        }
        tickora::LoadSkin();
        if (tickora::clockSettings.Skin[0] != u'\0') return true;
        const auto size = HeaderSize(path);
        if (size && (size->width > tickora::kMaxFaceSide || size->height > tickora::kMaxFaceSide)) {
            Add(Severity::Error, "main.png",
                "is " + Dimensions(size->width, size->height) + " pixels; faces over " +
                    std::to_string(tickora::kMaxFaceSide) +
                    " pixels a side are not shown and the clock uses its internal skin.");
        } else {
            Add(Severity::Error, "main.png",
                "does not decode as a PNG image, so the clock shows its internal skin instead.");
        }
        return false;
    }

    // One file of the folder, decoded on its own (the clock may trim the images
    // it loads to what can be seen): nullptr pixels when missing or undecodable.
    struct ImageFile {
        std::unique_ptr<imaging::Image, void (*)(imaging::Image*)> image{nullptr,
                                                                         &imaging::DisposeImage};
        cairo_surface_t* pixels = nullptr;
        std::uint32_t width = 0, height = 0;
    };

    // Reports a file that does not decode and an image without alpha.
    ImageFile Open(const char* file) {
        ImageFile opened;
        const std::string path = PathOf(file);
        if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) return opened;
        opened.image.reset(imaging::CreateImageFromFile(Utf16(path.c_str()).c_str()));
        opened.pixels = opened.image ? imaging::ImageSurface(opened.image.get()) : nullptr;
        if (opened.pixels == nullptr) {
            Add(Severity::Error, file, "does not decode as a PNG image, so it draws nothing.");
            return opened;
        }
        if (cairo_image_surface_get_format(opened.pixels) != CAIRO_FORMAT_ARGB32) {
            Add(Severity::Warning, file,
                "has no alpha channel, so it is drawn as an opaque rectangle.");
        }
        opened.width = imaging::ImageWidth(opened.image.get());
        opened.height = imaging::ImageHeight(opened.image.get());
        return opened;
    }

    // The dial: the box around the face's mostly opaque pixels. Returns its radius.
    double MeasureDial() {
        const ImageFile face = Open("main.png");
        if (face.pixels == nullptr) return 0;
        const int width = static_cast<int>(face.width);
        const int height = static_cast<int>(face.height);
        const unsigned char* data = cairo_image_surface_get_data(face.pixels);
        const int stride = cairo_image_surface_get_stride(face.pixels);
        const bool opaque = cairo_image_surface_get_format(face.pixels) != CAIRO_FORMAT_ARGB32;
        int left = width, right = -1, top = height, bottom = -1;
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
            for (int x = 0; x < width; ++x) {
                if (!opaque && (row[x] >> 24) < 128) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (right < 0) {
            Add(Severity::Warning, "main.png",
                "has no mostly opaque pixel, so there is no dial to see or to measure.");
            return std::min(width, height) / 2.0;
        }
        const double centreX = (left + right + 1) / 2.0;
        const double centreY = (top + bottom + 1) / 2.0;
        if (std::fabs(centreX - width / 2.0) > 1.0 || std::fabs(centreY - height / 2.0) > 1.0) {
            Add(Severity::Error, "main.png",
                "has its dial centred on (" + Text(centreX) + ", " + Text(centreY) +
                    "), but the hands turn about the image's centre (" + Text(width / 2.0) + ", " +
                    Text(height / 2.0) + ").");
        }
        return std::min(right + 1 - left, bottom + 1 - top) / 2.0;
    }

    // Shape and reach, drawn with the length factor the clock gave the skin.
    void CheckHands(double dialRadius) {
        const double factor = tickora::HandLengthFactor;
        const char* longest = nullptr;
        std::uint32_t longestWidth = 0;
        for (const char* file : {"hour.png", "min.png", "sec.png"}) {
            const ImageFile hand = Open(file);
            if (hand.pixels == nullptr) continue;
            if (hand.width > longestWidth) {
                longest = file;
                longestWidth = hand.width;
            }
            if (hand.height > hand.width) {
                Add(Severity::Error, file,
                    "is " + Dimensions(hand.width, hand.height) +
                        " pixels, taller than it is long; a hand lies horizontally and points "
                        "right.");
            }
            const double reach = 2.0 * hand.width * factor / 3.0;
            if (reach > dialRadius + 0.5) {
                Add(Severity::Error, file,
                    "reaches " + Text(reach) +
                        " pixels from the centre, beyond the dial's radius of " + Text(dialRadius) +
                        ".");
            }
        }
        if (factor < 1.0 && longest != nullptr) {
            Add(Severity::Note, longest,
                "is " + std::to_string(longestWidth) +
                    " pixels wide, more than two thirds of the " + "face (" +
                    Text(skinSet.faceWidth * 2.0 / 3.0) +
                    "), so all hands are drawn at one fifth of their size.");
        }
    }

    // The glass's size; 0 x 0 when there is none that decodes.
    Size CheckGlass() {
        const ImageFile glass = Open("attach.png");
        if (glass.pixels == nullptr) return {0, 0};
        if (glass.width > static_cast<std::uint32_t>(skinSet.faceWidth) ||
            glass.height > static_cast<std::uint32_t>(skinSet.faceHeight)) {
            Add(Severity::Warning, "attach.png",
                "is " + Dimensions(glass.width, glass.height) + " pixels, larger than the face (" +
                    Dimensions(skinSet.faceWidth, skinSet.faceHeight) +
                    "); what lies outside the face is cut off.");
        }
        return {glass.width, glass.height};
    }

    // A copy at twice the size, asked of the clock's own loading: used only when
    // it decodes and is exactly twice the plain image (of plainSize) each way.
    void CheckCopyAt2x(const char* file, const char16_t* stem, const char* plain, Size plainSize) {
        const std::string path = PathOf(file);
        if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) return;
        if (plainSize.width == 0 || plainSize.height == 0) {
            Add(Severity::Warning, file,
                std::string("is not used: there is no ") + plain + " that decodes.");
            return;
        }
        imaging::Image* copy = tickora::LoadImageAt2x(stem, plainSize.width, plainSize.height);
        if (copy != nullptr) {
            imaging::DisposeImage(copy);
            return;
        }
        const std::string instead =
            std::string("; the clock draws ") + plain + " enlarged instead.";
        const auto size = HeaderSize(path);
        if (size && (size->width != 2 * plainSize.width || size->height != 2 * plainSize.height)) {
            Add(Severity::Error, file,
                "is " + Dimensions(size->width, size->height) + " pixels, not twice " + plain +
                    " (" + Dimensions(2 * plainSize.width, 2 * plainSize.height) + ")" + instead);
        } else {
            Add(Severity::Error, file, "does not decode as a PNG image" + instead);
        }
    }

    std::string folder_;
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckSkinFolder(const std::string& folder) {
    if (std::string error = SelectSkinFolder(folder); !error.empty()) {
        return {{Severity::Error, "", error + "."}};
    }
    // Loading a skin makes its folder current, so relative paths would go astray.
    gchar* absolute = g_canonicalize_filename(folder.c_str(), nullptr);
    std::vector<Finding> findings = Checker(absolute).Run();
    g_free(absolute);
    tickora::ReleaseSkin();
    return findings;
}

bool ReportFindings(const std::string& folder, const std::vector<Finding>& findings) {
    static constexpr const char* kLabels[] = {"error", "warning", "note"};
    int counts[3] = {};
    for (const Finding& finding : findings) {
        const int kind = static_cast<int>(finding.severity);
        ++counts[kind];
        std::printf("%s: %s%s%s\n", kLabels[kind], finding.file.c_str(),
                    finding.file.empty() ? "" : " ", finding.sentence.c_str());
    }
    std::printf("%s: %d errors, %d warnings, %d notes\n", folder.c_str(), counts[0], counts[1],
                counts[2]);
    return counts[0] == 0;
}

}  // namespace preview
