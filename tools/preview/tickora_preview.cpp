// Draws what the clock would show, through the clock's own skin loading and
// frame composition, into a PNG with alpha. For skin authors and for tests.
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "render/clock_positions.h"
#include "render/frame.h"
#include "imaging/imaging.h"
#include "imaging/imaging_cairo.h"
#include "settings/settings.h"
#include "skin/skin.h"
#include "png_file.h"
#include "skin_check.h"
#include "skin_folder.h"

namespace {

using namespace tickora;

constexpr const char* kUsage =
    "usage: tickora_preview [options] OUTPUT.png   draw what the clock would show\n"
    "       (OUTPUT.png may be - for standard output, a device, a FIFO or a link)\n"
    "       tickora_preview --check FOLDER         check a skin folder (exit 1 on errors)\n"
    "       tickora_preview --help\n"
    "  --skin FOLDER       a skin folder (holding main.png); default: the internal skin\n"
    "  --time HH:MM:SS[.mmm]  the time shown; default 10:08:37\n"
    "  --scale PERCENT     default 100 (the clock draws 20..200)\n"
    "  --device-scale 1|2  the screen's scale factor, default 1; at 2 the image has\n"
    "                      twice the pixels each way, as on a HiDPI screen\n"
    "  --alpha PERCENT     opacity, default 100 (the clock draws 20..100)\n"
    "  --seconds on|off    second hand, default on\n"
    "  --glass on|off      glass overlay, default on\n";

struct Options {
    std::string skinFolder;
    LocalTime time{10, 8, 37, 0};
    int scale = 100;
    int deviceScale = 1;
    int alpha = 100;
    bool seconds = true;
    bool glass = true;
    std::string output;
    std::string checkFolder;
    bool help = false;
};

LocalTime shownTime;
std::string outputPath;

LocalTime ShownTime() {
    return shownTime;
}

std::optional<int> Number(std::string_view text, int low, int high) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    std::size_t at = 0;
    const bool negative = text[0] == '-';
    if (negative) at = 1;
    if (at == text.size()) return std::nullopt;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return std::nullopt;
        value = value * 10 + (text[at] - '0');
    }
    value = negative ? -value : value;
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<LocalTime> ParseTime(std::string_view text) {
    std::string_view milliseconds = "0";
    if (const auto dot = text.find('.'); dot != std::string_view::npos) {
        milliseconds = text.substr(dot + 1);
        text = text.substr(0, dot);
    }
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
    const auto hour = Number(text.substr(0, 2), 0, 23);
    const auto minute = Number(text.substr(3, 2), 0, 59);
    const auto second = Number(text.substr(6, 2), 0, 59);
    const auto millis = milliseconds.size() <= 3 ? Number(milliseconds, 0, 999) : std::nullopt;
    if (!hour || !minute || !second || !millis) return std::nullopt;
    return LocalTime{static_cast<std::uint16_t>(*hour), static_cast<std::uint16_t>(*minute),
                     static_cast<std::uint16_t>(*second), static_cast<std::uint16_t>(*millis)};
}

std::optional<bool> OnOff(std::string_view text) {
    if (text == "on") return true;
    if (text == "off") return false;
    return std::nullopt;
}

// Returns an error message, or an empty string when the arguments are good.
std::string Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.substr(0, 2) != "--") {
            if (!options.output.empty()) return "more than one output file given";
            options.output = argument;
            continue;
        }
        if (argument == "--help") {
            options.help = true;
            return {};
        }
        if (i + 1 >= argc) return std::string(argument) + " needs a value";
        const std::string_view value = argv[++i];
        if (argument == "--skin") {
            options.skinFolder = value;
        } else if (argument == "--check") {
            options.checkFolder = value;
        } else if (argument == "--time") {
            const auto time = ParseTime(value);
            if (!time)
                return "--time wants HH:MM:SS or HH:MM:SS.mmm, not '" + std::string(value) + "'";
            options.time = *time;
        } else if (argument == "--scale" || argument == "--alpha") {
            const auto number = Number(value, -100000000, 100000000);
            if (!number)
                return std::string(argument) + " wants a whole number, not '" + std::string(value) +
                       "'";
            (argument == "--scale" ? options.scale : options.alpha) = *number;
        } else if (argument == "--device-scale") {
            const auto factor = Number(value, 1, 2);
            if (!factor) return "--device-scale wants 1 or 2, not '" + std::string(value) + "'";
            options.deviceScale = *factor;
        } else if (argument == "--seconds" || argument == "--glass") {
            const auto flag = OnOff(value);
            if (!flag)
                return std::string(argument) + " wants on or off, not '" + std::string(value) + "'";
            (argument == "--seconds" ? options.seconds : options.glass) = *flag;
        } else {
            return "unknown option " + std::string(argument);
        }
    }
    if (!options.checkFolder.empty()) {
        return options.output.empty() ? "" : "--check writes no image, so it takes no output file";
    }
    if (options.output.empty()) return "no output file given";
    return {};
}

// What the window would show: the shown part of the frame times the constant
// opacity.
bool WritePng(const Frame& frame, std::string& error) {
    cairo_surface_t* out =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frame.width, frame.height);
    cairo_t* cr = cairo_create(out);
    cairo_set_source_surface(cr, imaging::FrameSurface(frame.target), 0, 0);
    cairo_paint_with_alpha(cr, frame.constantAlpha / 255.0);
    cairo_destroy(cr);
    const bool written = preview::WritePng(out, outputPath, error);
    cairo_surface_destroy(out);
    return written;
}

int Check(const std::string& folder) {
    const std::uintptr_t token = imaging::StartImaging();
    const bool clean = preview::ReportFindings(folder, preview::CheckSkinFolder(folder));
    imaging::StopImaging(token);
    return clean ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (std::string error = Parse(argc, argv, options); !error.empty()) {
        std::fprintf(stderr, "tickora_preview: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!options.checkFolder.empty()) return Check(options.checkFolder);
    if (!options.skinFolder.empty()) {
        if (std::string error = preview::SelectSkinFolder(options.skinFolder); !error.empty()) {
            std::fprintf(stderr, "tickora_preview: %s\n", error.c_str());
            return 2;
        }
    }
    clockSettings.Scale = options.scale;
    clockSettings.Alpha = options.alpha;
    clockSettings.ShowSeconds = options.seconds;
    clockSettings.ShowGlass = options.glass;
    SetDeviceScale(options.deviceScale);
    shownTime = options.time;
    outputPath = options.output;

    const std::uintptr_t token = imaging::StartImaging();
    LoadSkin();
    int status = 0;
    if (!options.skinFolder.empty() && clockSettings.Skin[0] == u'\0') {
        std::fprintf(stderr,
                     "tickora_preview: %s has no main.png that loads; the clock would show "
                     "its internal skin\n",
                     options.skinFolder.c_str());
        status = 1;
    } else {
        SetTimeSource(&ShownTime);
        std::string error = "no frame was composed";
        const std::optional<Frame> frame = RenderClock();
        if (!frame || !WritePng(*frame, error)) {
            std::fprintf(stderr, "tickora_preview: cannot write %s: %s\n", outputPath.c_str(),
                         error.c_str());
            status = 1;
        }
    }
    ReleaseSkin();
    imaging::StopImaging(token);
    return status;
}
