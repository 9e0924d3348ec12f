#include "present/present_x11.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "imaging/imaging_cairo.h"
#include "present/frame_copy_cairo.h"

// Last: Xlib's macros (None, Status, Bool...) would clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <gdk/gdkx.h>

namespace tickora {

namespace {

constexpr const char* kStateKey = "tickora-x11-presenter";

bool HostIsLittleEndian() {
    const std::uint32_t probe = 1;
    return *reinterpret_cast<const unsigned char*>(&probe) == 1;
}

// A graphics context for the window.
struct GcDeleter {
    Display* display = nullptr;
    void operator()(GC gc) const { XFreeGC(display, gc); }
};
using GcHolder = std::unique_ptr<std::remove_pointer_t<GC>, GcDeleter>;

// A System V shared-memory segment the server has attached (marked for
// removal from the start, so that it never outlives the clock).
struct SharedSegment {
    Display* display = nullptr;
    XShmSegmentInfo info{};
    bool attached = false;

    SharedSegment() = default;
    ~SharedSegment() {
        if (attached) XShmDetach(display, &info);
        if (info.shmaddr != nullptr) shmdt(info.shmaddr);
    }
    SharedSegment(const SharedSegment&) = delete;
    SharedSegment& operator=(const SharedSegment&) = delete;
};

// An XImage over memory it does not own (the segment, or a client buffer).
struct ImageDeleter {
    void operator()(XImage* image) const {
        image->data = nullptr;
        XDestroyImage(image);
    }
};
using ImageHolder = std::unique_ptr<XImage, ImageDeleter>;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfaceHolder = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

}  // namespace

// The image the window shows: the latest frame (times its constant opacity)
// in the window's pixel format, device pixels.
struct X11Presenter::State {
    GdkDisplay* gdkDisplay = nullptr;
    GdkWindow* gdkWindow = nullptr;  // a reference of our own
    Display* display = nullptr;
    Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    bool useShm = false;
    GcHolder gc;

    // Declared in the order they are made: destroyed image first, then the
    // memory under it.
    std::unique_ptr<SharedSegment> segment;
    std::vector<std::uint32_t> clientPixels;
    ImageHolder image;
    SurfaceHolder pixels;  // the image's memory, for drawing into
    int width = 0;         // device pixels
    int height = 0;

    cairo_surface_t* source = nullptr;  // the latest frame
    std::uint8_t alpha = 255;
    int scale = 0;

    PixelRect exposed;  // invalidated since the last idle call, device pixels
    guint exposeIdle = 0;

    ~State();
    bool Resize(int newWidth, int newHeight);
    bool MakeSharedImage();
    void MakeClientImage();
    void Copy(const PixelRect& area);
    void Put(const PixelRect& area);
};

namespace {

// Everything GTK or the server invalidates is shown again from the image, at
// idle (after the frame or resize that caused it); GTK's region is emptied,
// so its paint cycle draws nothing over the window.
gboolean OnExposeIdle(gpointer data) {
    auto* state = static_cast<X11Presenter::State*>(data);
    state->exposeIdle = 0;
    const PixelRect area = state->exposed;
    state->exposed = PixelRect{};
    if (state->source != nullptr) {
        state->Put(area);
        XFlush(state->display);
    }
    return G_SOURCE_REMOVE;
}

void OnInvalidate(GdkWindow* window, cairo_region_t* region) {
    auto* state = static_cast<X11Presenter::State*>(g_object_get_data(G_OBJECT(window), kStateKey));
    if (state == nullptr) return;
    cairo_rectangle_int_t extents{};
    cairo_region_get_extents(region, &extents);
    const int scale = gdk_window_get_scale_factor(window);
    state->exposed =
        Union(state->exposed, PixelRect{extents.x * scale, extents.y * scale, extents.width * scale,
                                        extents.height * scale});
    cairo_region_subtract(region, region);
    if (state->exposeIdle == 0) {
        state->exposeIdle = g_idle_add_full(G_PRIORITY_HIGH_IDLE, &OnExposeIdle, state, nullptr);
    }
}

}  // namespace

X11Presenter::State::~State() {
    if (exposeIdle != 0) g_source_remove(exposeIdle);
    gdk_window_set_invalidate_handler(gdkWindow, nullptr);
    g_object_set_data(G_OBJECT(gdkWindow), kStateKey, nullptr);
    g_object_unref(gdkWindow);
    cairo_surface_destroy(source);
}

// A segment of the image's size, attached by the server. A server that cannot
// reach it (another machine, another IPC namespace) refuses the attach with
// BadAccess: the clock then sends its pixels in the requests from now on.
bool X11Presenter::State::MakeSharedImage() {
    auto shared = std::make_unique<SharedSegment>();
    shared->display = display;
    XImage* made =
        XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                        &shared->info, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (made == nullptr) return false;
    image.reset(made);
    if (made->bits_per_pixel != 32 || made->bytes_per_line != width * 4) return false;
    shared->info.shmid = shmget(
        IPC_PRIVATE, static_cast<std::size_t>(made->bytes_per_line) * height, IPC_CREAT | 0600);
    if (shared->info.shmid < 0) return false;
    void* address = shmat(shared->info.shmid, nullptr, 0);
    // Marked for removal at once, before the server's round trip: it goes
    // when the last side detaches, even if the clock is killed meanwhile.
    // (Linux lets the server attach a segment so marked while the clock holds
    // it; a system that does not refuses the attach, as a remote server does.)
    shmctl(shared->info.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) return false;
    shared->info.shmaddr = static_cast<char*>(address);
    made->data = shared->info.shmaddr;
    shared->info.readOnly = True;
    gdk_x11_display_error_trap_push(gdkDisplay);
    const Status sent = XShmAttach(display, &shared->info);
    XSync(display, False);
    const int error = gdk_x11_display_error_trap_pop(gdkDisplay);
    if (sent == 0 || error != 0) return false;
    shared->attached = true;
    segment = std::move(shared);
    return true;
}

// Client memory, sent with each request (Xlib reorders the bytes for a server
// of the other byte order).
void X11Presenter::State::MakeClientImage() {
    clientPixels.assign(static_cast<std::size_t>(width) * height, 0);
    image.reset(XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                             reinterpret_cast<char*>(clientPixels.data()),
                             static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                             width * 4));
    if (!image) return;
    image->byte_order = HostIsLittleEndian() ? LSBFirst : MSBFirst;
}

bool X11Presenter::State::Resize(int newWidth, int newHeight) {
    if (newWidth == width && newHeight == height && image) return true;
    pixels.reset();
    image.reset();
    segment.reset();
    clientPixels = {};
    width = newWidth;
    height = newHeight;
    if (width <= 0 || height <= 0) return false;
    if (useShm && !MakeSharedImage()) {
        image.reset();
        segment.reset();
        useShm = false;
    }
    if (!useShm) MakeClientImage();
    if (!image) return false;
    pixels.reset(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(image->data),
                                                     CAIRO_FORMAT_ARGB32, width, height,
                                                     width * 4));
    return true;
}

// The frame's area into the image, with the constant opacity, as GTK would
// have painted it (premultiplied, as Cairo's frames are).
void X11Presenter::State::Copy(const PixelRect& area) {
    CopyFrameArea(source, pixels.get(), area, alpha);
}

// The server reads a shared image when it carries out the request, without
// telling the clock when (no completion event: that would wake the clock a
// second time each tick). The image always holds the latest frame, and each
// change to it is followed by a request for the area it changed, so a request
// carried out late shows newer pixels, and the last one the latest.
void X11Presenter::State::Put(const PixelRect& area) {
    const PixelRect shown = Intersection(area, PixelRect{0, 0, width, height});
    if (shown.Empty() || !image) return;
    const auto w = static_cast<unsigned>(shown.width);
    const auto h = static_cast<unsigned>(shown.height);
    if (useShm) {
        XShmPutImage(display, window, gc.get(), image.get(), shown.x, shown.y, shown.x, shown.y, w,
                     h, False);
    } else {
        XPutImage(display, window, gc.get(), image.get(), shown.x, shown.y, shown.x, shown.y, w, h);
    }
}

std::unique_ptr<X11Presenter> X11Presenter::Create(GtkWidget* widget) {
    GdkDisplay* gdkDisplay = gtk_widget_get_display(widget);
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    if (!GDK_IS_X11_DISPLAY(gdkDisplay) || gdkWindow == nullptr) return nullptr;
    // 8-bit red, green and blue where Cairo keeps them: the frame's bytes are
    // the window's pixels (the alpha byte unused at depth 24).
    GdkVisual* gdkVisual = gdk_window_get_visual(gdkWindow);
    Visual* visual = gdk_x11_visual_get_xvisual(gdkVisual);
    const int depth = gdk_visual_get_depth(gdkVisual);
    if ((depth != 24 && depth != 32) || visual->c_class != TrueColor ||
        visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF) {
        return nullptr;
    }

    auto state = std::make_unique<State>();
    state->gdkDisplay = gdkDisplay;
    state->gdkWindow = GDK_WINDOW(g_object_ref(gdkWindow));
    state->display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    state->window = GDK_WINDOW_XID(gdkWindow);
    state->visual = visual;
    state->depth = depth;
    // The server must take the host's byte order from shared memory as it is.
    state->useShm = XShmQueryExtension(state->display) != False &&
                    (ImageByteOrder(state->display) == LSBFirst) == HostIsLittleEndian();
    state->gc =
        GcHolder(XCreateGC(state->display, state->window, 0, nullptr), GcDeleter{state->display});
    g_object_set_data(G_OBJECT(gdkWindow), kStateKey, state.get());
    gdk_window_set_invalidate_handler(gdkWindow, &OnInvalidate);
    return std::unique_ptr<X11Presenter>(new X11Presenter(std::move(state)));
}

X11Presenter::X11Presenter(std::unique_ptr<State> state) : state_(std::move(state)) {}

X11Presenter::~X11Presenter() = default;

void X11Presenter::Present(const Frame& frame) {
    State& state = *state_;
    cairo_surface_t* surface = imaging::FrameSurface(frame.target);
    const int scale = DeviceScale();
    const bool whole = surface != state.source || frame.constantAlpha != state.alpha ||
                       frame.width != state.width || frame.height != state.height ||
                       scale != state.scale || !state.image;
    if (!state.Resize(frame.width, frame.height)) return;
    if (surface != state.source) {
        cairo_surface_reference(surface);
        cairo_surface_destroy(state.source);
        state.source = surface;
    }
    state.alpha = frame.constantAlpha;
    state.scale = scale;
    // Only what changed travels (the bands of a slanted second hand's path),
    // and the server redraws only that.
    const PixelRect shown{0, 0, frame.width, frame.height};
    for (const PixelRect& changed : whole ? ChangedAreas{{shown}, 1} : frame.changed) {
        const PixelRect area = Intersection(changed, shown);
        if (area.Empty()) continue;
        state.Copy(area);
        state.Put(area);
    }
    XFlush(state.display);
}

}  // namespace tickora
