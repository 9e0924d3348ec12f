#include "app/clock_window_gtk.h"

#include "app/desktop_gtk.h"
#include "app/window_mode.h"
#include "menu/context_menu.h"
#include "render/frame.h"
#include "render/imaging_cairo.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {
namespace {

// What the last presentation handed over; drawn on every expose.
struct Shown {
    imaging::FrameTarget* frame = nullptr;
    int width = 0;
    int height = 0;
    double opacity = 1.0;
    // The window shape follows the frame; it changes with the skin and the size.
    imaging::FrameTarget* shapedFrame = nullptr;
    int shapedWidth = 0;
    int shapedHeight = 0;
} shown;

bool Composited(GtkWidget* window) {
    return gdk_screen_is_composited(gtk_widget_get_screen(window)) != FALSE;
}

// Without a compositing manager transparent pixels would show black: the
// window is cut to the pixels of the frame that are at least half opaque.
void UpdateShape(GtkWidget* window) {
    if (Composited(window)) {
        if (shown.shapedFrame != nullptr) gtk_widget_shape_combine_region(window, nullptr);
        shown.shapedFrame = nullptr;
        return;
    }
    if (shown.frame == shown.shapedFrame && shown.width == shown.shapedWidth &&
        shown.height == shown.shapedHeight) {
        return;
    }
    cairo_surface_t* mask =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, shown.width, shown.height);
    cairo_t* cr = cairo_create(mask);
    cairo_set_source_surface(cr, imaging::FrameSurface(shown.frame), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_region_t* region = gdk_cairo_region_create_from_surface(mask);
    gtk_widget_shape_combine_region(window, region);
    cairo_region_destroy(region);
    cairo_surface_destroy(mask);
    shown.shapedFrame = shown.frame;
    shown.shapedWidth = shown.width;
    shown.shapedHeight = shown.height;
}

void Present(void* window, imaging::FrameTarget* frame, std::int32_t width, std::int32_t height,
             std::uint8_t constantAlpha) {
    auto* widget = static_cast<GtkWidget*>(window);
    const bool resized = width != shown.width || height != shown.height;
    shown.frame = frame;
    shown.width = width;
    shown.height = height;
    shown.opacity = constantAlpha / 255.0;
    if (widget == nullptr) return;
    if (resized) {
        gtk_widget_set_size_request(widget, width, height);
        gtk_window_resize(GTK_WINDOW(widget), width, height);
    }
    if (gtk_widget_get_realized(widget)) UpdateShape(widget);
    gtk_widget_queue_draw(widget);
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer) {
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
    cairo_paint(cr);
    if (shown.frame == nullptr) return TRUE;
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_rectangle(cr, 0, 0, shown.width, shown.height);
    cairo_clip(cr);
    cairo_set_source_surface(cr, imaging::FrameSurface(shown.frame), 0, 0);
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

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer) {
    // The window stays until its place has been saved.
    gtk_main_quit();
    return TRUE;
}

// Every other event also makes a frame attempt, as window messages do on Windows.
gboolean OnAnyEvent(GtkWidget* window, GdkEvent* event, gpointer) {
    switch (event->type) {
        case GDK_EXPOSE:
        case GDK_DELETE:
        case GDK_FOCUS_CHANGE:
        case GDK_BUTTON_PRESS:
        case GDK_BUTTON_RELEASE:
        case GDK_KEY_PRESS:
            break;
        default:
            RenderClock(window);
    }
    return FALSE;
}

void OnRealize(GtkWidget* window, gpointer) {
    UpdateShape(window);
}

void OnCompositedChanged(GdkScreen*, gpointer window) {
    shown.shapedFrame = nullptr;
    shown.shapedWidth = 0;
    UpdateShape(static_cast<GtkWidget*>(window));
    gtk_widget_queue_draw(static_cast<GtkWidget*>(window));
}

gboolean OnFrameTimer(gpointer window) {
    RenderClock(window);
    // Re-armed after the attempt, so a slow frame delays the next tick.
    g_timeout_add(20, &OnFrameTimer, window);
    return G_SOURCE_REMOVE;
}

}  // namespace

GtkWidget* CreateClockWindow() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (window == nullptr) return nullptr;
    GtkWindow* gtkWindow = GTK_WINDOW(window);
    gtk_window_set_title(gtkWindow, "Tickora");
    gtk_window_set_decorated(gtkWindow, FALSE);
    gtk_window_set_resizable(gtkWindow, FALSE);
    gtk_widget_set_app_paintable(window, TRUE);
    GdkScreen* screen = gtk_widget_get_screen(window);
    if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(window, rgba);
    gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                      GDK_POINTER_MOTION_MASK | GDK_FOCUS_CHANGE_MASK);

    g_signal_connect(window, "draw", G_CALLBACK(OnDraw), nullptr);
    g_signal_connect(window, "button-press-event", G_CALLBACK(OnButtonPress), nullptr);
    g_signal_connect(window, "button-release-event", G_CALLBACK(OnButtonRelease), nullptr);
    g_signal_connect(window, "popup-menu", G_CALLBACK(OnPopupMenu), nullptr);
    g_signal_connect(window, "focus-in-event", G_CALLBACK(OnFocusIn), nullptr);
    g_signal_connect(window, "focus-out-event", G_CALLBACK(OnFocusOut), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), nullptr);
    g_signal_connect(window, "event", G_CALLBACK(OnAnyEvent), nullptr);
    g_signal_connect_after(window, "realize", G_CALLBACK(OnRealize), nullptr);
    g_signal_connect(screen, "composited-changed", G_CALLBACK(OnCompositedChanged), window);

    SetPresenter(&Present);
    const int width = ScaledFaceWidth();
    const int height = ScaledFaceHeight();
    gtk_widget_set_size_request(window, width, height);
    gtk_window_set_default_size(gtkWindow, width, height);
    gtk_window_move(gtkWindow, clockSettings.PosX, clockSettings.PosY);
    shown.width = width;
    shown.height = height;
    return window;
}

void StartFrameTimer(GtkWidget* window) {
    g_timeout_add(10, &OnFrameTimer, window);
}

}  // namespace tickora
