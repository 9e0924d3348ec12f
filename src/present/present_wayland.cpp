#include "present/present_wayland.h"

#include <gdk/gdkwayland.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/imaging_cairo.h"
#include "present/frame_copy_cairo.h"

namespace tickora {

namespace {

// Three buffers: one shown, one on its way, one to draw in while a compositor
// holds the other two late. Most compositors release in time for two.
constexpr int kBuffers = 3;

struct Buffer {
    wl_buffer* buffer = nullptr;
    cairo_surface_t* pixels = nullptr;  // the buffer's memory, for drawing into
    bool busy = false;                  // the compositor holds it
    PixelRect lacking;                  // damage since it was last shown
    WaylandPresenter::State* owner = nullptr;
};

// A test hook: TICKORA_HOLD_BUFFERS_MS makes the clock treat each release as
// arriving that much later, as a compositor that holds buffers late would.
guint HoldMilliseconds() {
    const char* hold = std::getenv("TICKORA_HOLD_BUFFERS_MS");
    return hold != nullptr ? static_cast<guint>(std::strtoul(hold, nullptr, 10)) : 0;
}

}  // namespace

struct WaylandPresenter::State {
    wl_display* display = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wl_surface* surface = nullptr;
    wl_subsurface* subsurface = nullptr;
    wl_surface* parent = nullptr;  // GDK's
    int shiftX = 0;
    int shiftY = 0;

    // The pool: one shared-memory file of kBuffers frames of the current size.
    int fd = -1;
    void* memory = nullptr;
    std::size_t memorySize = 0;
    wl_shm_pool* pool = nullptr;
    std::array<Buffer, kBuffers> buffers;
    int width = 0;  // device pixels
    int height = 0;
    int scale = 0;

    // What is to be shown: the latest frame's surface and opacity, and the
    // damage since the last frame the compositor was given.
    cairo_surface_t* source = nullptr;
    std::uint8_t alpha = 255;
    PixelRect waiting;
    ChangedAreas waitingBands;  // within waiting, when it is one frame's damage
    wl_callback* frameCallback = nullptr;
    // Waiting for the frame callback to come back.
    WaylandPresenter::Callback shown = nullptr;
    void* shownData = nullptr;

    guint hold = HoldMilliseconds();
    std::vector<guint> holdTimers;

    ~State();
    void Resize(int newWidth, int newHeight, int newScale);
    void DropPool();
    Buffer* FreeBuffer();
    void Show();
    void Fill(Buffer& buffer);
};

namespace {

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    auto* state = static_cast<WaylandPresenter::State*>(data);
    // Version 4 for wl_surface.damage_buffer (GDK's own is bound at 3).
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= 4) {
        state->compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        state->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0) {
        state->subcompositor = static_cast<wl_subcompositor*>(
            wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
    }
}
void OnGlobalRemoved(void*, wl_registry*, std::uint32_t) {}

void MarkReleased(Buffer* buffer) {
    buffer->busy = false;
    // A frame that found every buffer held is shown now.
    buffer->owner->Show();
}

gboolean OnHeldRelease(gpointer data) {
    auto* buffer = static_cast<Buffer*>(data);
    auto& timers = buffer->owner->holdTimers;
    timers.erase(timers.begin());
    MarkReleased(buffer);
    return G_SOURCE_REMOVE;
}

void OnRelease(void* data, wl_buffer*) {
    auto* buffer = static_cast<Buffer*>(data);
    WaylandPresenter::State* state = buffer->owner;
    if (state->hold > 0) {
        state->holdTimers.push_back(g_timeout_add(state->hold, &OnHeldRelease, buffer));
        return;
    }
    MarkReleased(buffer);
}

const wl_buffer_listener kBufferListener{&OnRelease};

void OnFrameDone(void* data, wl_callback* callback, std::uint32_t) {
    auto* state = static_cast<WaylandPresenter::State*>(data);
    wl_callback_destroy(callback);
    state->frameCallback = nullptr;
    state->Show();
    const WaylandPresenter::Callback shown = state->shown;
    state->shown = nullptr;
    if (shown != nullptr) shown(state->shownData);
}

// The main loop's poll, which leaves the compositor's socket out while the
// clock is quiet and its next wake-up near; whatever wakes it also takes what
// the socket holds by then (GDK reads and dispatches it as usual).
struct QuietPoll {
    GPollFunc poll = nullptr;  // GLib's own
    int fd = -1;               // the display's socket while quiet
} quietPoll;

// How long the compositor's events may wait for the clock's next wake-up.
constexpr gint kQuietMilliseconds = 100;

gint PollQuietly(GPollFD* fds, guint count, gint timeout) {
    GPollFD* socket = nullptr;
    if (quietPoll.fd >= 0 && timeout > 0 && timeout <= kQuietMilliseconds) {
        for (guint index = 0; index < count; ++index) {
            if (fds[index].fd == quietPoll.fd && (fds[index].events & G_IO_IN) != 0) {
                socket = &fds[index];
            }
        }
    }
    if (socket == nullptr) return quietPoll.poll(fds, count, timeout);
    // Errors and hang-ups are still reported.
    socket->events &= ~G_IO_IN;
    const gint ready = quietPoll.poll(fds, count, timeout);
    socket->events |= G_IO_IN;
    if (ready < 0) return ready;
    return quietPoll.poll(fds, count, 0);
}

const wl_callback_listener kFrameListener{&OnFrameDone};

}  // namespace

WaylandPresenter::State::~State() {
    quietPoll.fd = -1;
    for (guint timer : holdTimers) g_source_remove(timer);
    if (frameCallback != nullptr) wl_callback_destroy(frameCallback);
    DropPool();
    if (subsurface != nullptr) wl_subsurface_destroy(subsurface);
    if (surface != nullptr) wl_surface_destroy(surface);
    if (subcompositor != nullptr) wl_subcompositor_destroy(subcompositor);
    if (shm != nullptr) wl_shm_destroy(shm);
    if (compositor != nullptr) wl_compositor_destroy(compositor);
    cairo_surface_destroy(source);
    if (display != nullptr) wl_display_flush(display);
}

void WaylandPresenter::State::DropPool() {
    for (guint timer : holdTimers) g_source_remove(timer);
    holdTimers.clear();
    for (Buffer& buffer : buffers) {
        // The compositor keeps what it shows; a held buffer may go.
        if (buffer.buffer != nullptr) wl_buffer_destroy(buffer.buffer);
        cairo_surface_destroy(buffer.pixels);
        buffer = Buffer{};
    }
    if (pool != nullptr) wl_shm_pool_destroy(pool);
    pool = nullptr;
    if (memory != nullptr) munmap(memory, memorySize);
    memory = nullptr;
    memorySize = 0;
    if (fd >= 0) close(fd);
    fd = -1;
}

// Buffers are made again only when the frame's size or scale changes.
void WaylandPresenter::State::Resize(int newWidth, int newHeight, int newScale) {
    if (newWidth == width && newHeight == height && newScale == scale) return;
    DropPool();
    width = newWidth;
    height = newHeight;
    scale = newScale;
    const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 4;
    fd = memfd_create("tickora-frames", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(frameBytes * kBuffers)) != 0) {
        DropPool();
        return;
    }
    memorySize = frameBytes * kBuffers;
    memory = mmap(nullptr, memorySize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        memory = nullptr;
        DropPool();
        return;
    }
    pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(memorySize));
    wl_surface_set_buffer_scale(surface, scale);
}

// A buffer the compositor does not hold; made on first need.
Buffer* WaylandPresenter::State::FreeBuffer() {
    if (pool == nullptr) return nullptr;
    const int stride = width * 4;
    for (std::size_t index = 0; index < buffers.size(); ++index) {
        Buffer& buffer = buffers[index];
        if (buffer.buffer == nullptr) {
            const std::size_t offset = index * static_cast<std::size_t>(stride) * height;
            buffer.buffer =
                wl_shm_pool_create_buffer(pool, static_cast<std::int32_t>(offset), width, height,
                                          stride, WL_SHM_FORMAT_ARGB8888);
            buffer.owner = this;
            wl_buffer_add_listener(buffer.buffer, &kBufferListener, &buffer);
            buffer.pixels =
                cairo_image_surface_create_for_data(static_cast<unsigned char*>(memory) + offset,
                                                    CAIRO_FORMAT_ARGB32, width, height, stride);
            buffer.lacking = PixelRect{0, 0, width, height};
        }
        if (!buffer.busy) return &buffer;
    }
    return nullptr;
}

// Copies what the buffer lacks from the frame, with the constant opacity.
void WaylandPresenter::State::Fill(Buffer& buffer) {
    const PixelRect area = Intersection(
        buffer.lacking, PixelRect{0, 0, std::min(width, cairo_image_surface_get_width(source)),
                                  std::min(height, cairo_image_surface_get_height(source))});
    buffer.lacking = PixelRect{};
    if (area.Empty()) return;
    CopyFrameArea(source, buffer.pixels, area, alpha);
}

// Gives the compositor what changed, unless it has not shown the last frame
// yet or holds every buffer: the frame callback or a release calls again.
void WaylandPresenter::State::Show() {
    if (frameCallback != nullptr || waiting.Empty() || source == nullptr) return;
    Buffer* buffer = FreeBuffer();
    if (buffer == nullptr) return;
    Fill(*buffer);
    wl_surface_attach(surface, buffer->buffer, 0, 0);
    // The compositor redraws only what changed: the bands of a slanted second
    // hand's path, or the whole damaged rectangle.
    if (waitingBands.count == 0) waitingBands = ChangedAreas{{waiting}, 1};
    for (const PixelRect& area : waitingBands) {
        wl_surface_damage_buffer(surface, area.x, area.y, area.width, area.height);
    }
    frameCallback = wl_surface_frame(surface);
    wl_callback_add_listener(frameCallback, &kFrameListener, this);
    wl_surface_commit(surface);
    buffer->busy = true;
    waiting = PixelRect{};
    waitingBands = ChangedAreas{};
    wl_display_flush(display);
}

std::unique_ptr<WaylandPresenter> WaylandPresenter::Create(GtkWidget* window) {
    GdkDisplay* gdkDisplay = gtk_widget_get_display(window);
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    if (!GDK_IS_WAYLAND_DISPLAY(gdkDisplay) || gdkWindow == nullptr) return nullptr;
    wl_surface* parent = gdk_wayland_window_get_wl_surface(gdkWindow);
    if (parent == nullptr) return nullptr;

    auto state = std::make_unique<State>();
    state->display = gdk_wayland_display_get_wl_display(gdkDisplay);
    // GDK does not share its shm and subcompositor: bound here (with a
    // compositor of a version that damages buffers), through a
    // registry on a queue of our own so that GDK's dispatching is undisturbed.
    wl_event_queue* queue = wl_display_create_queue(state->display);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(state->display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
    wl_registry* registry = wl_display_get_registry(wrapped);
    static const wl_registry_listener listener{&OnGlobal, &OnGlobalRemoved};
    wl_registry_add_listener(registry, &listener, state.get());
    wl_display_roundtrip_queue(state->display, queue);
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapped);
    // Their events (and those of the pool's buffers) go to GDK's queue.
    for (auto* proxy :
         {reinterpret_cast<wl_proxy*>(state->compositor), reinterpret_cast<wl_proxy*>(state->shm),
          reinterpret_cast<wl_proxy*>(state->subcompositor)}) {
        if (proxy != nullptr) wl_proxy_set_queue(proxy, nullptr);
    }
    wl_event_queue_destroy(queue);
    if (state->compositor == nullptr || state->shm == nullptr || state->subcompositor == nullptr) {
        return nullptr;
    }

    wl_compositor* compositor = state->compositor;
    state->parent = parent;
    state->surface = wl_compositor_create_surface(compositor);
    state->subsurface =
        wl_subcompositor_get_subsurface(state->subcompositor, state->surface, parent);
    wl_subsurface_set_position(state->subsurface, 0, 0);
    wl_subsurface_set_desync(state->subsurface);
    // No input: clicks, the drag and pass-through's empty region are GTK's.
    wl_region* nothing = wl_compositor_create_region(compositor);
    wl_surface_set_input_region(state->surface, nothing);
    wl_region_destroy(nothing);
    // The subsurface joins its parent with the parent's next commit.
    gtk_widget_queue_draw(window);
    return std::unique_ptr<WaylandPresenter>(new WaylandPresenter(std::move(state)));
}

WaylandPresenter::WaylandPresenter(std::unique_ptr<State> state) : state_(std::move(state)) {}

WaylandPresenter::~WaylandPresenter() = default;

void WaylandPresenter::Present(const Frame& frame) {
    State& state = *state_;
    cairo_surface_t* surface = imaging::FrameSurface(frame.target);
    const int scale = DeviceScale();
    bool whole = surface != state.source || frame.constantAlpha != state.alpha ||
                 frame.width != state.width || frame.height != state.height || scale != state.scale;
    state.Resize(frame.width, frame.height, scale);
    if (surface != state.source) {
        cairo_surface_reference(surface);
        cairo_surface_destroy(state.source);
        state.source = surface;
    }
    state.alpha = frame.constantAlpha;
    const PixelRect damage = whole ? PixelRect{0, 0, frame.width, frame.height} : frame.damage;
    for (Buffer& buffer : state.buffers) buffer.lacking = Union(buffer.lacking, damage);
    // Frames that wait together are damaged as one rectangle.
    state.waitingBands = state.waiting.Empty() && !whole ? frame.changed : ChangedAreas{};
    state.waiting = Union(state.waiting, damage);
    state.Show();
}

bool WaylandPresenter::LastFrameShown(Callback shown, void* data) {
    State& state = *state_;
    // Events the loop read in this wake-up may not have been dispatched yet.
    wl_display_dispatch_pending(state.display);
    if (state.frameCallback == nullptr) return true;
    state.shown = shown;
    state.shownData = data;
    return false;
}

void WaylandPresenter::SetQuiet(bool quiet) {
    if (quietPoll.poll == nullptr) {
        quietPoll.poll = g_main_context_get_poll_func(nullptr);
        g_main_context_set_poll_func(nullptr, &PollQuietly);
    }
    quietPoll.fd = quiet ? wl_display_get_fd(state_->display) : -1;
}

void WaylandPresenter::Shift(int x, int y, bool atOnce) {
    State& state = *state_;
    if (x == state.shiftX && y == state.shiftY) return;
    state.shiftX = x;
    state.shiftY = y;
    wl_subsurface_set_position(state.subsurface, x, y);
    if (!atOnce) return;
    // The position is the parent's state. GDK commits its surface only within
    // its own paint, so nothing of GDK's is pending here to go with it.
    wl_surface_commit(state.parent);
    wl_display_flush(state.display);
}

}  // namespace tickora
