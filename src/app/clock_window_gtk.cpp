#include "app/clock_window_gtk.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include "app/accessibility_gtk.h"
#include "app/desktop_gtk.h"
#include "app/i18n_gtk.h"
#include "app/time_changes_gtk.h"
#include "app/visibility_x11.h"
#include "app/window_mode.h"
#include "menu/context_menu.h"
#include "present/present_wayland.h"
#include "present/present_x11.h"
#include "render/clock_positions.h"
#include "render/frame.h"
#include "imaging/imaging_cairo.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {
namespace {

// What the window shows: the frame handed over last, held by a reference of
// its own, so that a skin change cannot free the pixels under an expose.
struct Shown {
    cairo_surface_t* surface = nullptr;
    int width = 0;  // window units
    int height = 0;
    double opacity = 1.0;
    // The window shape follows the frame; it changes with the skin and the size.
    cairo_surface_t* shapedSurface = nullptr;
    int shapedWidth = 0;
    int shapedHeight = 0;
} shown;

// On Wayland the frames go to a subsurface in buffers of the clock's own while
// the window is mapped; GTK's surface then shows nothing of its own.
std::unique_ptr<WaylandPresenter> presenter;
// On X11 they go straight onto the window while it exists, without GTK's
// paint cycle (GTK then paints nothing; what it invalidates is shown again).
std::unique_ptr<X11Presenter> x11Presenter;

// While the X11 window cannot be seen the clock makes no frames.
std::unique_ptr<X11Visibility> x11Visibility;

// When frames are made: at each tick of the frame timer while the clock can
// be seen, and for events and menu choices in between.
struct Schedule {
    guint timer = 0;  // the pending frame timeout
    // The Wayland presenter's last frame is not shown yet: the compositor
    // holds its frame callback while the surface cannot be seen.
    bool awaitingCompositor = false;
    bool pointerInside = false;
} schedule;

bool MayDraw() {
    return (!x11Visibility || x11Visibility->Seen()) && !schedule.awaitingCompositor;
}

// A test hook: TICKORA_FRAME_TALLY names a file that gets a byte for each
// frame handed to the window.
class FrameTally {
  public:
    FrameTally() {
        const char* path = std::getenv("TICKORA_FRAME_TALLY");
        if (path != nullptr) fd_ = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
    ~FrameTally() {
        if (fd_ >= 0) close(fd_);
    }
    FrameTally(const FrameTally&) = delete;
    FrameTally& operator=(const FrameTally&) = delete;
    void Count() const {
        if (fd_ < 0) return;
        // A byte lost only miscounts a test.
        [[maybe_unused]] const ssize_t written = write(fd_, ".", 1);
    }

  private:
    int fd_ = -1;
} frameTally;

bool Composited(GtkWidget* window) {
    return gdk_screen_is_composited(gtk_widget_get_screen(window)) != FALSE;
}

// Without a compositing manager transparent pixels would show black: the
// window is cut to the pixels of the frame that are at least half opaque.
void UpdateShape(GtkWidget* window) {
    if (Composited(window)) {
        if (shown.shapedSurface != nullptr) gtk_widget_shape_combine_region(window, nullptr);
        shown.shapedSurface = nullptr;
        return;
    }
    if (shown.surface == nullptr ||
        (shown.surface == shown.shapedSurface && shown.width == shown.shapedWidth &&
         shown.height == shown.shapedHeight)) {
        return;
    }
    // The shape is in window units: the frame is sampled down to them.
    cairo_surface_t* mask =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, shown.width, shown.height);
    cairo_t* cr = cairo_create(mask);
    const double scale = DeviceScale();
    cairo_scale(cr, 1 / scale, 1 / scale);
    cairo_set_source_surface(cr, shown.surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
    gtk_widget_shape_combine_region(window, region);
    cairo_region_destroy(region);
    cairo_surface_destroy(mask);
    shown.shapedSurface = shown.surface;
    shown.shapedWidth = shown.width;
    shown.shapedHeight = shown.height;
}

void Hold(cairo_surface_t* surface) {
    if (surface == shown.surface) return;
    cairo_surface_reference(surface);
    cairo_surface_destroy(shown.surface);
    shown.surface = surface;
}

// Hands a composed frame to the window: only its damaged area is drawn again,
// so only that much travels to the display server.
void Present(GtkWidget* window, const std::optional<Frame>& frame) {
    if (!frame) return;
    frameTally.Count();
    const int scale = DeviceScale();
    const int width = frame->width / scale;
    const int height = frame->height / scale;
    const bool resized = width != shown.width || height != shown.height;
    Hold(imaging::FrameSurface(frame->target));
    shown.width = width;
    shown.height = height;
    shown.opacity = frame->constantAlpha / 255.0;
    if (resized) {
        gtk_widget_set_size_request(window, width, height);
        gtk_window_resize(GTK_WINDOW(window), width, height);
    }
    if (gtk_widget_get_realized(window)) UpdateShape(window);
    if (x11Presenter) {
        x11Presenter->Present(*frame);
        return;
    }
    // GTK's surface still takes the new size (input region, placement).
    if (resized) gtk_widget_queue_draw(window);
    if (presenter) {
        presenter->Present(*frame);
        return;
    }
    if (resized) return;
    // Device pixels to the window units that hold them.
    const PixelRect& damage = frame->damage;
    const int left = damage.x / scale;
    const int top = damage.y / scale;
    const int right = (damage.x + damage.width + scale - 1) / scale;
    const int bottom = (damage.y + damage.height + scale - 1) / scale;
    gtk_widget_queue_draw_area(window, left, top, right - left, bottom - top);
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer) {
    // GTK has clipped cr to the area that needs drawing.
    if (shown.surface == nullptr || presenter) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        cairo_paint(cr);
        return TRUE;
    }
    const double scale = DeviceScale();
    cairo_scale(cr, 1 / scale, 1 / scale);  // one frame pixel per device pixel
    cairo_set_source_surface(cr, shown.surface, 0, 0);
    if (shown.opacity >= 1.0) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        return TRUE;
    }
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint_with_alpha(cr, shown.opacity);
    return TRUE;
}

gboolean OnButtonPress(GtkWidget* window, GdkEventButton* event, gpointer) {
    // Anywhere on the clock is a handle.
    if (event->type == GDK_BUTTON_PRESS && event->button == GDK_BUTTON_PRIMARY) {
        BeginClockMove(window, event);
    }
    return TRUE;
}

gboolean OnButtonRelease(GtkWidget* window, GdkEventButton* event, gpointer) {
    if (event->button == GDK_BUTTON_SECONDARY) ShowContextMenu(window);
    EndClockMove(window, event);
    return TRUE;
}

gboolean OnPopupMenu(GtkWidget* window, gpointer) {
    ShowContextMenu(window);
    return TRUE;
}

gboolean OnFocusIn(GtkWidget* window, GdkEvent*, gpointer) {
    ApplyWindowMode(window, false);
    return FALSE;
}

gboolean OnFocusOut(GtkWidget* window, GdkEvent*, gpointer) {
    HideFromTaskbar(window);
    ApplyWindowMode(window, true);
    return FALSE;
}

gboolean OnDelete(GtkWidget* window, GdkEvent*, gpointer) {
    if (ReopenedOnAnotherOutput(window)) return TRUE;
    // The window stays until its place has been saved.
    gtk_main_quit();
    return TRUE;
}

void UpdateQuiet(GtkWidget* window);

// Every other event also makes a frame attempt, as window messages do on
// Windows, while the clock can be seen.
gboolean OnAnyEvent(GtkWidget* window, GdkEvent* event, gpointer) {
    if (event->type == GDK_ENTER_NOTIFY || event->type == GDK_LEAVE_NOTIFY) {
        schedule.pointerInside = event->type == GDK_ENTER_NOTIFY;
        UpdateQuiet(window);
    }
    if (!MayDraw()) return FALSE;
    switch (event->type) {
        case GDK_EXPOSE:
        case GDK_DELETE:
        case GDK_FOCUS_CHANGE:
        case GDK_BUTTON_PRESS:
        case GDK_BUTTON_RELEASE:
        case GDK_KEY_PRESS:
            break;
        default:
            Present(window, RenderClock());
    }
    return FALSE;
}

// Frames are composed in device pixels: sharp on a HiDPI screen, at the same
// size on the desktop. A new factor makes the next frame draw everything anew.
void FollowScaleFactor(GtkWidget* window) {
    const int factor = gtk_widget_get_scale_factor(window);
    if (factor == DeviceScale()) return;
    SetDeviceScale(factor);
    clockPositions.lastSecondTick = -1;
    if (MayDraw()) Present(window, RenderClock());
}

void OnScaleFactor(GtkWidget* window, GParamSpec*, gpointer) {
    FollowScaleFactor(window);
}

void OnSeenChanged(gpointer window);
void FrameNow(GtkWidget* window);

void OnRealize(GtkWidget* window, gpointer) {
    // From the start, so that GTK never paints the window (not even before
    // it is first mapped).
    x11Presenter = X11Presenter::Create(window);
    x11Visibility = X11Visibility::Create(window, &OnSeenChanged, window);
    FollowScaleFactor(window);
    UpdateShape(window);
}

void OnUnrealize(GtkWidget*, gpointer) {
    x11Visibility.reset();
    x11Presenter.reset();
}

void OnMap(GtkWidget* window, gpointer) {
    presenter = WaylandPresenter::Create(window);
    schedule.awaitingCompositor = false;
    if (!presenter && !x11Presenter) return;
    // Everything to the new subsurface or window, now (on X11 once the
    // server has mapped it), and the timer armed again should it have
    // stopped for the old surface's frame callback.
    RedrawWholeFrame();
    clockPositions.lastSecondTick = -1;
    clockPositions.lastMinuteStep = -1;
    FrameNow(window);
}

}  // namespace

bool ShiftClockFrames(int x, int y, bool atOnce) {
    if (!presenter) return false;
    presenter->Shift(x, y, atOnce);
    return true;
}

namespace {

// Before GDK takes the surface away.
void OnUnmap(GtkWidget*, gpointer) {
    presenter.reset();
    schedule.awaitingCompositor = false;
}

void OnCompositedChanged(GdkScreen*, gpointer window) {
    shown.shapedSurface = nullptr;
    shown.shapedWidth = 0;
    UpdateShape(static_cast<GtkWidget*>(window));
    gtk_widget_queue_draw(static_cast<GtkWidget*>(window));
}

std::unique_ptr<TimeChangeWatch> timeChanges;

// The compositor's events may wait for the next tick (see SetQuiet) unless
// input must not wait: the pointer over the clock, or another window of the
// clock's shown (the menu, the pass-through note).
void UpdateQuiet(GtkWidget* window) {
    if (!presenter) return;
    bool quiet = !schedule.pointerInside && !schedule.awaitingCompositor;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item != nullptr && quiet; item = item->next) {
        if (item->data != window && gtk_widget_get_visible(GTK_WIDGET(item->data))) quiet = false;
    }
    g_list_free(toplevels);
    presenter->SetQuiet(quiet);
}

// The compositor has shown the last frame again: the surface can be seen,
// and shows the right time at once.
void OnCompositorShown(void* window) {
    schedule.awaitingCompositor = false;
    clockPositions.lastSecondTick = -1;
    FrameNow(static_cast<GtkWidget*>(window));
}

gboolean OnFrameTimer(gpointer window);

// A frame now, if the clock can be seen, then sleep until the hands can next
// stand elsewhere: the next tick of the second hand, or the next five-second
// step when it is not shown. While it cannot be seen nothing is drawn and no
// timer runs: the window's visibility or the compositor's frame callback
// wakes it when it can be seen again.
void FrameNow(GtkWidget* window) {
    if (schedule.timer != 0) g_source_remove(schedule.timer);
    schedule.timer = 0;
    if (x11Visibility && !x11Visibility->Seen()) return;
    if (presenter && !presenter->LastFrameShown(&OnCompositorShown, window)) {
        schedule.awaitingCompositor = true;
        presenter->SetQuiet(false);
        return;
    }
    Present(window, RenderClock());
    const bool secondHandShown = skinSet.secondHand != nullptr && clockSettings.ShowSeconds;
    const auto delay = MillisecondsToNextChange(ReadLocalTime(), secondHandShown);
    schedule.timer = g_timeout_add(static_cast<guint>(delay), &OnFrameTimer, window);
    UpdateQuiet(window);
}

gboolean OnFrameTimer(gpointer window) {
    schedule.timer = 0;
    FrameNow(static_cast<GtkWidget*>(window));
    return G_SOURCE_REMOVE;
}

void OnSeenChanged(gpointer data) {
    auto* window = static_cast<GtkWidget*>(data);
    if (!x11Visibility->Seen()) {
        if (schedule.timer != 0) g_source_remove(schedule.timer);
        schedule.timer = 0;
        return;
    }
    // What changed meanwhile (the time, the zone) is shown at once.
    clockPositions.lastSecondTick = -1;
    FrameNow(window);
}

// The local time jumped: a frame at once, even within the same tick.
void OnTimeChanged(gpointer window) {
    clockPositions.lastSecondTick = -1;
    FrameNow(static_cast<GtkWidget*>(window));
    NameAfterTimeChange();
}

}  // namespace

GtkWidget* CreateClockWindow() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (window == nullptr) return nullptr;
    GtkWindow* gtkWindow = GTK_WINDOW(window);
    gtk_window_set_title(gtkWindow, "Tickora");
    // The icon from the theme, for the window switcher and _NET_WM_ICON.
    gtk_window_set_default_icon_name(kAppId);
    DescribeClockWindow(window);
    gtk_window_set_decorated(gtkWindow, FALSE);
    gtk_window_set_resizable(gtkWindow, FALSE);
    gtk_widget_set_app_paintable(window, TRUE);
    GdkScreen* screen = gtk_widget_get_screen(window);
    if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(window, rgba);
    gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                      GDK_POINTER_MOTION_MASK | GDK_FOCUS_CHANGE_MASK |
                                      GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);

    g_signal_connect(window, "draw", G_CALLBACK(OnDraw), nullptr);
    g_signal_connect(window, "button-press-event", G_CALLBACK(OnButtonPress), nullptr);
    g_signal_connect(window, "button-release-event", G_CALLBACK(OnButtonRelease), nullptr);
    g_signal_connect(window, "popup-menu", G_CALLBACK(OnPopupMenu), nullptr);
    g_signal_connect(window, "focus-in-event", G_CALLBACK(OnFocusIn), nullptr);
    g_signal_connect(window, "focus-out-event", G_CALLBACK(OnFocusOut), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), nullptr);
    g_signal_connect(window, "event", G_CALLBACK(OnAnyEvent), nullptr);
    g_signal_connect_after(window, "realize", G_CALLBACK(OnRealize), nullptr);
    g_signal_connect_after(window, "map", G_CALLBACK(OnMap), nullptr);
    g_signal_connect(window, "unmap", G_CALLBACK(OnUnmap), nullptr);
    g_signal_connect(window, "unrealize", G_CALLBACK(OnUnrealize), nullptr);
    g_signal_connect(window, "notify::scale-factor", G_CALLBACK(OnScaleFactor), nullptr);
    g_signal_connect(screen, "composited-changed", G_CALLBACK(OnCompositedChanged), window);

    SetDeviceScale(gtk_widget_get_scale_factor(window));
    const int width = ScaledFaceWidth();
    const int height = ScaledFaceHeight();
    gtk_widget_set_size_request(window, width, height);
    gtk_window_set_default_size(gtkWindow, width, height);
    PlaceClockWindow(window);
    return window;
}

void ShowMenuChoice(GtkWidget* window) {
    // The choice may change the size, the opacity, the skin or what is drawn,
    // while the clock sleeps until the next five-second step (or the time
    // stands still): the frame is drawn whole, now.
    clockPositions.lastSecondTick = -1;
    clockPositions.lastMinuteStep = -1;
    FrameNow(window);
}

void StartFrameTimer(GtkWidget* window) {
    if (schedule.timer != 0) g_source_remove(schedule.timer);
    schedule.timer = g_timeout_add(10, &OnFrameTimer, window);
    timeChanges = std::make_unique<TimeChangeWatch>(&OnTimeChanged, window);
}

}  // namespace tickora
