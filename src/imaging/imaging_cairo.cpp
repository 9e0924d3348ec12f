// The imaging port on Cairo image surfaces (ARGB32 is premultiplied), drawing
// source-over with CAIRO_FILTER_BEST wherever the caller asks for bicubic.
#include "imaging/imaging_cairo.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <malloc.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "imaging/quad_rows.h"

namespace tickora::imaging {

struct Image {
    cairo_surface_t* surface = nullptr;  // nullptr: empty image (or parked)
    Status lastStatus = Status::Ok;
    // Parked pixels (ParkImage): the surface's rows, deflated, until needed.
    std::vector<unsigned char> parked;
    int parkedWidth = 0;
    int parkedHeight = 0;
};

struct Graphics {
    cairo_t* cr = nullptr;
    cairo_filter_t filter = CAIRO_FILTER_GOOD;
    Status lastStatus = Status::Ok;
    // The clip rectangle, kept here and set on cr only for a drawing that can
    // reach beyond it: a frame's copies and its hand need no clip state in cairo.
    bool clipped = false;
    cairo_rectangle_int_t clip{};
    bool clipOnCr = false;
    // A clear to transparent not carried out yet: a cached bitmap drawn next
    // replaces the pixels instead (a copy rather than a clear and a blend).
    bool clearPending = false;
};

struct CachedBitmap {
    cairo_surface_t* surface = nullptr;
    Status lastStatus = Status::Ok;
};

struct FrameTarget {
    cairo_surface_t* surface = nullptr;
};

namespace {

// Encoded files beyond this are not skin images; neither are images that would
// take more than 256 MiB once decoded.
constexpr gsize kMaxFileBytes = 64u << 20;
constexpr std::uint64_t kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = 64u << 20;

std::size_t liveObjects = 0;

// Every object of this backend is made and freed here, and counted.
template <typename Object, typename... Fields>
Object* New(Fields... fields) {
    auto* object = new (std::nothrow) Object{fields...};
    if (object != nullptr) ++liveObjects;
    return object;
}

template <typename Object>
void Delete(Object* object) {
    --liveObjects;
    delete object;
}

template <typename Object>
void Record(Object* object, Status status) {
    if (object != nullptr && status != Status::Ok) object->lastStatus = status;
}

bool Usable(cairo_surface_t* surface) {
    return surface != nullptr && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
}

std::uint32_t BigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// Every chunk up to the end marker must fit in the bytes there are: the decoder
// allocates a chunk's declared length before reading it, so a hundred bytes
// that claim a 2 GB text chunk would otherwise take that much memory.
bool ChunksFit(const unsigned char* data, std::size_t size) {
    for (std::size_t at = 8; size - at >= 8;) {
        const std::uint64_t length = BigEndian32(data + at);
        if (length + 12 > size - at) return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
        at += static_cast<std::size_t>(length) + 12;
    }
    return true;
}

// Reads the size from the PNG header before anything is allocated for the pixels.
bool PlausiblePng(const unsigned char* data, std::size_t size) {
    static constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 24 || std::memcmp(data, kSignature, 8) != 0 ||
        std::memcmp(data + 12, "IHDR", 4) != 0) {
        return false;
    }
    const std::uint64_t width = BigEndian32(data + 16);
    const std::uint64_t height = BigEndian32(data + 20);
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           width * height <= kMaxPixels && ChunksFit(data, size);
}

struct Reader {
    const unsigned char* data;
    std::size_t left;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<Reader*>(closure);
    if (length > reader->left) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data, length);
    reader->data += length;
    reader->left -= length;
    return CAIRO_STATUS_SUCCESS;
}

void Decode(Image* image, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (bytes == nullptr || !PlausiblePng(bytes, size)) {
        Record(image, Status::GenericError);
        return;
    }
    Reader reader{bytes, size};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&ReadBytes, &reader);
    if (!Usable(surface)) {
        cairo_surface_destroy(surface);
        Record(image, Status::GenericError);
        return;
    }
    image->surface = surface;
}

cairo_filter_t FilterFor(int mode) {
    if (mode == kInterpolationHighQualityBicubic) return CAIRO_FILTER_BEST;
    if (mode == kInterpolationBilinear) return CAIRO_FILTER_BILINEAR;
    return CAIRO_FILTER_GOOD;
}

// The pixels drawing may touch: the clip within the target.
cairo_rectangle_int_t DrawableArea(Graphics* graphics) {
    cairo_surface_t* target = cairo_get_target(graphics->cr);
    cairo_rectangle_int_t area{0, 0, cairo_image_surface_get_width(target),
                               cairo_image_surface_get_height(target)};
    if (!graphics->clipped) return area;
    const cairo_rectangle_int_t& clip = graphics->clip;
    const int right = std::min(area.width, clip.x + clip.width);
    const int bottom = std::min(area.height, clip.y + clip.height);
    area.x = std::max(0, clip.x);
    area.y = std::max(0, clip.y);
    area.width = std::max(0, right - area.x);
    area.height = std::max(0, bottom - area.y);
    return area;
}

// Sets the clip rectangle on cr, for a drawing that needs it there.
void ClipOnCr(Graphics* graphics) {
    if (!graphics->clipped || graphics->clipOnCr) return;
    const cairo_rectangle_int_t& clip = graphics->clip;
    cairo_rectangle(graphics->cr, clip.x, clip.y, clip.width, clip.height);
    cairo_clip(graphics->cr);
    graphics->clipOnCr = true;
}

// Carries out a deferred clear; every drawing but a cached bitmap's calls
// this first.
void ClearNow(Graphics* graphics) {
    if (!graphics->clearPending) return;
    graphics->clearPending = false;
    ClipOnCr(graphics);
    cairo_t* cr = graphics->cr;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
}

// The clip area becomes the source's pixels placed at (x, y), transparent
// where the source has none: what a clear and a source-over blend of it give
// (a blend over nothing is the source itself), copied row by row. Both must be
// ARGB32 (premultiplied), as bitmaps are.
bool CopyInto(Graphics* graphics, cairo_surface_t* source, int x, int y) {
    cairo_surface_t* target = cairo_get_target(graphics->cr);
    if (cairo_image_surface_get_format(target) != CAIRO_FORMAT_ARGB32 ||
        cairo_image_surface_get_format(source) != CAIRO_FORMAT_ARGB32) {
        return false;
    }
    const cairo_rectangle_int_t area = DrawableArea(graphics);
    if (area.width <= 0 || area.height <= 0) return true;
    cairo_surface_flush(target);
    cairo_surface_flush(source);
    unsigned char* to = cairo_image_surface_get_data(target);
    const unsigned char* from = cairo_image_surface_get_data(source);
    const int toStride = cairo_image_surface_get_stride(target);
    const int fromStride = cairo_image_surface_get_stride(source);
    const int end = area.x + area.width;
    const int left = std::clamp(x, area.x, end);
    const int right = std::clamp(x + cairo_image_surface_get_width(source), left, end);
    const int sourceHeight = cairo_image_surface_get_height(source);
    for (int row = area.y; row < area.y + area.height; ++row) {
        auto* line =
            reinterpret_cast<std::uint32_t*>(to + static_cast<std::ptrdiff_t>(row) * toStride);
        const int sourceRow = row - y;
        if (sourceRow < 0 || sourceRow >= sourceHeight || left == right) {
            std::fill(line + area.x, line + end, 0u);
            continue;
        }
        std::fill(line + area.x, line + left, 0u);
        std::memcpy(line + left,
                    from + static_cast<std::ptrdiff_t>(sourceRow) * fromStride + (left - x) * 4,
                    static_cast<std::size_t>(right - left) * 4);
        std::fill(line + right, line + end, 0u);
    }
    cairo_surface_mark_dirty_rectangle(target, area.x, area.y, area.width, area.height);
    return true;
}

// A parked image's pixels back in a surface; they stay parked (and the image
// draws nothing) while there is no memory for them.
void Unpark(Image* image) {
    if (image == nullptr || image->parked.empty()) return;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image->parkedWidth, image->parkedHeight);
    if (!Usable(surface)) {
        cairo_surface_destroy(surface);
        return;
    }
    const int stride = cairo_image_surface_get_stride(surface);
    uLongf size = static_cast<uLongf>(stride) * image->parkedHeight;
    const int inflated = uncompress(cairo_image_surface_get_data(surface), &size,
                                    image->parked.data(), image->parked.size());
    if (inflated != Z_OK || size != static_cast<uLongf>(stride) * image->parkedHeight) {
        cairo_surface_destroy(surface);
        return;
    }
    cairo_surface_mark_dirty(surface);
    image->surface = surface;
    image->parked = {};
}

bool Drawable(Graphics* graphics, Image* image) {
    Unpark(image);
    if (graphics == nullptr || graphics->cr == nullptr || image == nullptr ||
        image->surface == nullptr) {
        Record(graphics, Status::InvalidParameter);
        return false;
    }
    ClearNow(graphics);
    return true;
}

// Limits drawing to the bands of 16 pixel rows that the image's parallelogram
// crosses, each only as wide as the parallelogram within it, sparing most of a
// thin turned hand's bounding box. Each band costs a composite of its own, so
// this pays where hands are large: a fifth of a frame at Scale 200.
void ClipToCrossedBands(cairo_t* cr, const cairo_matrix_t& matrix, double width, double height) {
    constexpr double kBand = 16;
    constexpr double kReach = 1;  // the bilinear filter's reach, in pixels
    double xs[4] = {0, width, width, 0};
    double ys[4] = {0, 0, height, height};
    for (int i = 0; i < 4; ++i) cairo_matrix_transform_point(&matrix, &xs[i], &ys[i]);
    const double top = std::floor(std::min({ys[0], ys[1], ys[2], ys[3]}) - kReach);
    const double bottom = std::ceil(std::max({ys[0], ys[1], ys[2], ys[3]}) + kReach);
    for (double y = top; y < bottom; y += kBand) {
        // The part of the image within the band, widened by the reach.
        double left = 0;
        double right = 0;
        if (!QuadColumnsWithinRows(xs, ys, y - kReach, y + kBand + kReach, left, right)) continue;
        const double x = std::floor(left - kReach);
        cairo_rectangle(cr, x, y, std::ceil(right + kReach) - x, kBand);
    }
    cairo_clip(cr);
}

// Paints the whole image through the transformation already set on cr, with
// clean edges: the source is padded and the image's own rectangle clipped.
// Bilinear drawing, the fast one for an image drawn at about its own size many
// times a second, skips that clip (its mask costs more than the drawing): its
// edges fade over half a pixel instead.
void PaintImage(Graphics* graphics, Image* image) {
    cairo_t* cr = graphics->cr;
    const bool clipped = graphics->filter != CAIRO_FILTER_BILINEAR;
    if (clipped) {
        cairo_rectangle(cr, 0, 0, cairo_image_surface_get_width(image->surface),
                        cairo_image_surface_get_height(image->surface));
        cairo_clip(cr);
    }
    cairo_set_source_surface(cr, image->surface, 0, 0);
    cairo_pattern_t* source = cairo_get_source(cr);
    cairo_pattern_set_filter(source, graphics->filter);
    cairo_pattern_set_extend(source, clipped ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint(cr);
}

// Whether every pixel the image can touch through this matrix lies within the
// clip rectangle (the filter's reach included): then a clip changes nothing.
bool WithinClip(Graphics* graphics, const cairo_matrix_t& matrix, double width, double height) {
    if (!graphics->clipped) return true;
    // Bilinear drawing reaches half a source pixel beyond the image (a pixel
    // more here, for rounding); the other filters draw within the image's own
    // rectangle (PaintImage), touching the pixels its edges cross.
    const double scale =
        std::max(std::hypot(matrix.xx, matrix.yx), std::hypot(matrix.xy, matrix.yy));
    const double kReach = graphics->filter == CAIRO_FILTER_BILINEAR ? scale + 1 : 1;
    double xs[4] = {0, width, width, 0};
    double ys[4] = {0, 0, height, height};
    for (int i = 0; i < 4; ++i) cairo_matrix_transform_point(&matrix, &xs[i], &ys[i]);
    const cairo_rectangle_int_t& clip = graphics->clip;
    return std::min({xs[0], xs[1], xs[2], xs[3]}) - kReach >= clip.x &&
           std::min({ys[0], ys[1], ys[2], ys[3]}) - kReach >= clip.y &&
           std::max({xs[0], xs[1], xs[2], xs[3]}) + kReach <= clip.x + clip.width &&
           std::max({ys[0], ys[1], ys[2], ys[3]}) + kReach <= clip.y + clip.height;
}

// Maps the image's rectangle to the destination by an affine matrix; matrices
// that cannot be inverted (a zero-sized or degenerate destination) draw nothing.
void DrawMapped(Graphics* graphics, Image* image, const cairo_matrix_t& matrix) {
    const double determinant = matrix.xx * matrix.yy - matrix.xy * matrix.yx;
    const double values[] = {matrix.xx, matrix.yx, matrix.xy, matrix.yy, matrix.x0, matrix.y0};
    for (double value : values) {
        if (!std::isfinite(value)) return;
    }
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-12) return;
    if (matrix.xx == 1 && matrix.yy == 1 && matrix.xy == 0 && matrix.yx == 0 &&
        matrix.x0 == std::trunc(matrix.x0) && matrix.y0 == std::trunc(matrix.y0)) {
        // Drawn at its own size on whole pixels: a plain copy, whatever the
        // filter, and the padding and edge clip change nothing but the speed.
        // Filled within the clip rectangle rather than painted through a clip
        // set on cr: the same boxes composited, without the clip's upkeep.
        cairo_t* cr = graphics->cr;
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_set_source_surface(cr, image->surface, matrix.x0, matrix.y0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        const cairo_rectangle_int_t area = DrawableArea(graphics);
        cairo_rectangle(cr, area.x, area.y, area.width, area.height);
        cairo_fill(cr);
        cairo_restore(cr);
        return;
    }
    if (!WithinClip(graphics, matrix, cairo_image_surface_get_width(image->surface),
                    cairo_image_surface_get_height(image->surface))) {
        ClipOnCr(graphics);
    }
    cairo_save(graphics->cr);
    if (graphics->filter == CAIRO_FILTER_BILINEAR) {
        ClipToCrossedBands(graphics->cr, matrix, cairo_image_surface_get_width(image->surface),
                           cairo_image_surface_get_height(image->surface));
    }
    cairo_transform(graphics->cr, &matrix);
    PaintImage(graphics, image);
    cairo_restore(graphics->cr);
}

cairo_surface_t* CopyOf(cairo_surface_t* source) {
    cairo_surface_t* copy =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(source),
                                   cairo_image_surface_get_height(source));
    cairo_t* cr = cairo_create(copy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    if (!Usable(copy)) {
        cairo_surface_destroy(copy);
        return nullptr;
    }
    return copy;
}

}  // namespace

bool ComposesDamagedAreas() {
    return true;
}

std::uintptr_t StartImaging() {
    // Pictures of a megabyte or more come and go (decoded, then parked; a cached
    // background every five seconds). Left to itself, glibc raises the size it
    // serves from fresh mappings to the largest block freed, after which such
    // pictures land in the heap and their memory stays resident when freed.
    // Its default threshold, set once, stays put.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    return 0;
}

void StopImaging(std::uintptr_t) {}

Image* CreateImageFromFile(const char16_t* fileName) {
    auto* image = New<Image>();
    if (image == nullptr) return nullptr;
    std::unique_ptr<gchar, decltype(&g_free)> path{
        g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(fileName), -1, nullptr, nullptr,
                        nullptr),
        &g_free};
    GStatBuf info;
    if (!path || g_stat(path.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<gsize>(info.st_size) > kMaxFileBytes) {
        Record(image, Status::GenericError);
        return image;
    }
    gchar* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.get(), &contents, &length, nullptr)) {
        Record(image, Status::GenericError);
        return image;
    }
    Decode(image, contents, length);
    g_free(contents);
    return image;
}

Image* CreateImageFromBytes(const void* data, std::size_t size) {
    auto* image = New<Image>();
    if (image != nullptr) Decode(image, data, size);
    return image;
}

Image* CreateBitmap(std::int32_t width, std::int32_t height) {
    auto* image = New<Image>();
    if (image == nullptr) return nullptr;
    if (width <= 0 || height <= 0) {
        Record(image, Status::InvalidParameter);
        return image;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (!Usable(surface)) {
        cairo_surface_destroy(surface);
        Record(image, Status::OutOfMemory);
        return image;
    }
    image->surface = surface;
    return image;
}

void DisposeImage(Image* image) {
    if (image == nullptr) return;
    if (image->surface != nullptr) cairo_surface_destroy(image->surface);
    Delete(image);
}

std::uint32_t ImageWidth(Image* image) {
    if (image != nullptr && !image->parked.empty()) {
        return static_cast<std::uint32_t>(image->parkedWidth);
    }
    if (image == nullptr || image->surface == nullptr) {
        Record(image, Status::InvalidParameter);
        return 0;
    }
    return static_cast<std::uint32_t>(cairo_image_surface_get_width(image->surface));
}

std::uint32_t ImageHeight(Image* image) {
    if (image != nullptr && !image->parked.empty()) {
        return static_cast<std::uint32_t>(image->parkedHeight);
    }
    if (image == nullptr || image->surface == nullptr) {
        Record(image, Status::InvalidParameter);
        return 0;
    }
    return static_cast<std::uint32_t>(cairo_image_surface_get_height(image->surface));
}

// The pixels deflated in small steps (no scratch as large as the pixels, which
// would stay in the heap); empty when that fails or gains less than half.
std::vector<unsigned char> Deflated(const unsigned char* pixels, std::size_t size) {
    std::vector<unsigned char> deflated;
    z_stream stream{};
    // The fastest level: art with large even areas still shrinks several times.
    if (size > std::numeric_limits<uInt>::max() || deflateInit(&stream, Z_BEST_SPEED) != Z_OK) {
        return {};
    }
    stream.next_in = const_cast<unsigned char*>(pixels);
    stream.avail_in = static_cast<uInt>(size);
    int result = Z_OK;
    try {
        constexpr std::size_t kStep = 16 * 1024;
        while (result == Z_OK && deflated.size() < size / 2) {
            const std::size_t used = deflated.size();
            deflated.resize(used + kStep);
            stream.next_out = deflated.data() + used;
            stream.avail_out = static_cast<uInt>(kStep);
            result = deflate(&stream, Z_FINISH);
            deflated.resize(used + kStep - stream.avail_out);
        }
        if (result == Z_STREAM_END) deflated.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        result = Z_MEM_ERROR;
    }
    deflateEnd(&stream);
    if (result != Z_STREAM_END || deflated.size() >= size / 2) return {};
    return deflated;
}

void ParkImage(Image* image) {
    if (image == nullptr || image->surface == nullptr) return;
    cairo_surface_flush(image->surface);
    const int height = cairo_image_surface_get_height(image->surface);
    const std::size_t size =
        static_cast<std::size_t>(cairo_image_surface_get_stride(image->surface)) * height;
    std::vector<unsigned char> deflated =
        Deflated(cairo_image_surface_get_data(image->surface), size);
    if (deflated.empty()) return;  // kept as it is
    image->parkedWidth = cairo_image_surface_get_width(image->surface);
    image->parkedHeight = height;
    image->parked = std::move(deflated);
    cairo_surface_destroy(image->surface);
    image->surface = nullptr;
}

void ReturnFreedMemory() {
    malloc_trim(0);
}

Status TakeLastStatus(Image* image) {
    if (image == nullptr) return Status::InvalidParameter;
    const Status status = image->lastStatus;
    image->lastStatus = Status::Ok;
    return status;
}

Graphics* CreateImageGraphics(Image* bitmap) {
    auto* graphics = New<Graphics>();
    if (graphics == nullptr) return nullptr;
    Unpark(bitmap);
    if (bitmap == nullptr || bitmap->surface == nullptr) {
        Record(graphics, Status::InvalidParameter);
        return graphics;
    }
    graphics->cr = cairo_create(bitmap->surface);
    return graphics;
}

void DeleteGraphics(Graphics* graphics) {
    if (graphics == nullptr) return;
    if (graphics->cr != nullptr) {
        ClearNow(graphics);
        cairo_destroy(graphics->cr);
    }
    Delete(graphics);
}

void SetInterpolationMode(Graphics* graphics, int mode) {
    if (graphics != nullptr) graphics->filter = FilterFor(mode);
}

void GraphicsClear(Graphics* graphics, std::uint32_t argb) {
    if (graphics == nullptr || graphics->cr == nullptr) {
        Record(graphics, Status::InvalidParameter);
        return;
    }
    if (argb == 0) {
        graphics->clearPending = true;
        return;
    }
    graphics->clearPending = false;
    ClipOnCr(graphics);
    cairo_t* cr = graphics->cr;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, (argb >> 24) / 255.0);
    cairo_paint(cr);
    cairo_restore(cr);
}

void SetClipRect(Graphics* graphics, std::int32_t x, std::int32_t y, std::int32_t width,
                 std::int32_t height) {
    if (graphics == nullptr || graphics->cr == nullptr) {
        Record(graphics, Status::InvalidParameter);
        return;
    }
    ClearNow(graphics);
    if (graphics->clipOnCr) cairo_reset_clip(graphics->cr);
    graphics->clipOnCr = false;
    graphics->clipped = true;
    graphics->clip = cairo_rectangle_int_t{x, y, std::max(width, 0), std::max(height, 0)};
}

void ResetClip(Graphics* graphics) {
    if (graphics == nullptr || graphics->cr == nullptr) return;
    ClearNow(graphics);
    if (graphics->clipOnCr) cairo_reset_clip(graphics->cr);
    graphics->clipOnCr = false;
    graphics->clipped = false;
}

void DrawImageRectI(Graphics* graphics, Image* image, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height) {
    DrawImageRect(graphics, image, static_cast<float>(x), static_cast<float>(y),
                  static_cast<float>(width), static_cast<float>(height));
}

void DrawImageRect(Graphics* graphics, Image* image, float x, float y, float width, float height) {
    if (!Drawable(graphics, image)) return;
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, width / cairo_image_surface_get_width(image->surface), 0, 0,
                      height / cairo_image_surface_get_height(image->surface), x, y);
    DrawMapped(graphics, image, matrix);
}

void DrawImagePoints(Graphics* graphics, Image* image, const PointF points[3]) {
    if (!Drawable(graphics, image)) return;
    const double width = cairo_image_surface_get_width(image->surface);
    const double height = cairo_image_surface_get_height(image->surface);
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, (points[1].X - points[0].X) / width,
                      (points[1].Y - points[0].Y) / width, (points[2].X - points[0].X) / height,
                      (points[2].Y - points[0].Y) / height, points[0].X, points[0].Y);
    DrawMapped(graphics, image, matrix);
}

CachedBitmap* CreateCachedBitmap(Image* bitmap, Graphics* graphics) {
    auto* cached = New<CachedBitmap>();
    if (cached == nullptr) return nullptr;
    Unpark(bitmap);
    if (bitmap == nullptr || bitmap->surface == nullptr || graphics == nullptr ||
        graphics->cr == nullptr) {
        Record(cached, Status::InvalidParameter);
        return cached;
    }
    // An image surface already is the fastest form to draw from: the cached
    // bitmap shares the bitmap's pixels instead of copying them. The clock
    // replaces it right after each redraw of the bitmap, with no frame between.
    cached->surface = cairo_surface_reference(bitmap->surface);
    return cached;
}

void DeleteCachedBitmap(CachedBitmap* cached) {
    if (cached == nullptr) return;
    if (cached->surface != nullptr) cairo_surface_destroy(cached->surface);
    Delete(cached);
}

void DrawCachedBitmap(Graphics* graphics, CachedBitmap* cached, std::int32_t x, std::int32_t y) {
    if (graphics == nullptr || graphics->cr == nullptr || cached == nullptr ||
        cached->surface == nullptr) {
        Record(graphics, Status::InvalidParameter);
        return;
    }
    if (graphics->clearPending) {
        graphics->clearPending = false;
        if (CopyInto(graphics, cached->surface, x, y)) return;
        graphics->clearPending = true;
        ClearNow(graphics);
    }
    cairo_t* cr = graphics->cr;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, cached->surface, x, y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    const cairo_rectangle_int_t area = DrawableArea(graphics);
    cairo_rectangle(cr, area.x, area.y, area.width, area.height);
    cairo_fill(cr);
    cairo_restore(cr);
}

FrameTarget* CreateFrameTarget(Image* backBuffer) {
    Unpark(backBuffer);
    if (backBuffer == nullptr || backBuffer->surface == nullptr) return nullptr;
    cairo_surface_t* copy = CopyOf(backBuffer->surface);
    if (copy == nullptr) return nullptr;
    auto* frame = New<FrameTarget>(copy);
    if (frame == nullptr) cairo_surface_destroy(copy);
    return frame;
}

Graphics* CreateFrameGraphics(FrameTarget* frame) {
    auto* graphics = New<Graphics>();
    if (graphics == nullptr) return nullptr;
    if (frame == nullptr) {
        Record(graphics, Status::InvalidParameter);
        return graphics;
    }
    graphics->cr = cairo_create(frame->surface);
    return graphics;
}

void DetachFrameTarget(FrameTarget*) {}

void DeleteFrameTarget(FrameTarget* frame) {
    if (frame == nullptr) return;
    cairo_surface_destroy(frame->surface);
    Delete(frame);
}

cairo_surface_t* FrameSurface(FrameTarget* frame) {
    return frame ? frame->surface : nullptr;
}

cairo_surface_t* ImageSurface(Image* image) {
    Unpark(image);
    return image ? image->surface : nullptr;
}

std::size_t LiveObjectCount() {
    return liveObjects;
}

}  // namespace tickora::imaging
