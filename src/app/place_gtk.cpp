#include "app/place_gtk.h"

#include <gtk-layer-shell/gtk-layer-shell.h>

#include <vector>

#include "app/desktop_gtk.h"
#include "app/placement.h"
#include "app/session_gtk.h"
#include "render/frame.h"
#include "settings/saturating.h"

// Last: Xlib's macros (None, Status...) would clash with names above.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace tickora {
namespace {

// The monitors in desktop coordinates (logical pixels), and GDK's handles.
struct Monitors {
    std::vector<PlaceRect> rects;
    std::vector<GdkMonitor*> handles;

    int IndexOf(GdkMonitor* monitor) const {
        for (std::size_t i = 0; i < handles.size(); ++i) {
            if (handles[i] == monitor) return static_cast<int>(i);
        }
        return -1;
    }
};

Monitors ListMonitors(GtkWidget* window) {
    GdkDisplay* display = gtk_widget_get_display(window);
    Monitors list;
    for (int i = 0, count = gdk_display_get_n_monitors(display); i < count; ++i) {
        GdkMonitor* monitor = gdk_display_get_monitor(display, i);
        GdkRectangle area{};
        gdk_monitor_get_geometry(monitor, &area);
        // An output not described yet: its geometry follows.
        if (area.width <= 0 || area.height <= 0) continue;
        list.rects.push_back({area.x, area.y, area.width, area.height});
        list.handles.push_back(monitor);
    }
    return list;
}

PlaceRect StoredClock() {
    return {StoredPlaceX(), StoredPlaceY(), ScaledFaceWidth(), ScaledFaceHeight()};
}

PlacePoint Moved(const PlacePoint& from, double dx, double dy) {
    return {SaturatingAdd(from.x, RoundToInt(dx)), SaturatingAdd(from.y, RoundToInt(dy))};
}

// ---------------------------------------------------------------------------
// X11: the clock puts its window with gtk_window_move. The window manager may
// frame it, choose another first place, pull it onto the screen or move it
// when monitors change: all of that happens before the window is mapped or
// in answer to the map, in answer to the clock's own move, or while monitors
// change, and each time the place the window then stands at becomes the
// reference for the clock's place.
// Any other change of the window's place on the screen is the user's (a drag
// on the clock, the manager's own move, another program's request) and moves
// the place saved by exactly as much.

// How long the window manager is given to settle after the clock moved its
// window or monitors changed: counted again from each move it makes meanwhile.
constexpr guint kSettleMilliseconds = 500;

struct X11Place {
    PlacePoint shown;  // where the clock stands: the place it asked for, or the user's
    bool shownKnown = false;
    // The window's top-left in the X server's pixels when it stood at `shown`
    // as last placed by the clock or the window manager.
    bool based = false;
    PlacePoint basePlace;
    int baseX = 0;
    int baseY = 0;
    guint settling = 0;  // while set, moves are the window manager's own
} x11;

// Where the X server has the clock's own window (inside any frame) now: a
// round trip, so never an older place than the latest, however late the
// events that prompt the question are handled.
bool ServerOrigin(GtkWidget* window, int* x, int* y) {
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    if (gdkWindow == nullptr || WindowGone()) return false;
    GdkDisplay* display = gdk_window_get_display(gdkWindow);
    Window child = 0;
    gdk_x11_display_error_trap_push(display);
    const Bool answered = XTranslateCoordinates(
        GDK_DISPLAY_XDISPLAY(display), GDK_WINDOW_XID(gdkWindow),
        GDK_WINDOW_XID(gdk_screen_get_root_window(gdk_window_get_screen(gdkWindow))), 0, 0, x, y,
        &child);
    return gdk_x11_display_error_trap_pop(display) == 0 && answered;
}

// The window stands where the clock means it to stand.
void Rebase(GtkWidget* window) {
    x11.based = gtk_widget_get_mapped(window) && ServerOrigin(window, &x11.baseX, &x11.baseY);
    x11.basePlace = x11.shown;
}

gboolean EndSettling(gpointer window) {
    x11.settling = 0;
    Rebase(static_cast<GtkWidget*>(window));
    return G_SOURCE_REMOVE;
}

void Settle(GtkWidget* window) {
    if (!x11.based) return;  // the map comes later
    if (x11.settling != 0) g_source_remove(x11.settling);
    x11.settling = g_timeout_add(kSettleMilliseconds, &EndSettling, window);
}

void StopSettling() {
    if (x11.settling != 0) g_source_remove(x11.settling);
    x11.settling = 0;
}

// Whatever the window manager does while the window is not mapped (taking it
// anew when it is mapped again) is its own placement, and so is what it does
// in answer to the map: some managers (KWin) show the frame first and put it
// in place a moment later.
gboolean OnMapped(GtkWidget* window, GdkEvent*, gpointer) {
    StopSettling();
    Rebase(window);
    GdkScreen* screen = gtk_widget_get_screen(window);
    if (g_strcmp0(gdk_x11_screen_get_window_manager_name(screen), "unknown") != 0) Settle(window);
    return FALSE;
}

// A press on the clock, or the pointer leaving it (also as a grab takes it:
// a menu, the window manager's own move with Alt and a button), is the user's
// hand: the window manager has long finished placing the window, and what
// follows is the user's. The reference stays the place read at the last move
// while settling: one read now could already hold the start of the user's move.
void TakeUsersHand() {
    StopSettling();
}

gboolean OnLeave(GtkWidget*, GdkEventCrossing*, gpointer) {
    TakeUsersHand();
    return FALSE;
}

gboolean OnUnmapped(GtkWidget*, GdkEvent*, gpointer) {
    StopSettling();
    x11.based = false;
    return FALSE;
}

// The server counts device pixels: at scale factor 2 the window moves two of
// them for each pixel of desktop coordinates. The place is counted from the
// reference each time, so that odd pixels never add up.
gboolean OnConfigure(GtkWidget* window, GdkEvent*, gpointer) {
    if (!x11.based) return FALSE;
    if (x11.settling != 0) {
        Rebase(window);
        Settle(window);
        return FALSE;
    }
    int x = 0;
    int y = 0;
    if (!ServerOrigin(window, &x, &y)) return FALSE;
    const double scale = gtk_widget_get_scale_factor(window);
    const PlacePoint place = Moved(x11.basePlace, SaturatingSub(x, x11.baseX) / scale,
                                   SaturatingSub(y, x11.baseY) / scale);
    if (place == x11.shown) return FALSE;
    x11.shown = place;
    NoteUserPlace(place.x, place.y);
    SaveClockSettingsSoon();
    return FALSE;
}

// A press on the clock becomes the window manager's move only once the
// pointer moves with the button held. Asked for at the press itself, a move
// that reaches the manager after a quick click's release (a busy machine, a
// clock at idle priority) leaves the manager moving the window with no button
// held, until the next click.
struct X11Press {
    bool pending = false;
    guint button = 0;
    double x = 0;  // in the window
    double y = 0;
    double rootX = 0;
    double rootY = 0;
} x11Press;

gboolean OnX11Motion(GtkWidget* window, GdkEventMotion* motion, gpointer) {
    if (!x11Press.pending || (motion->state & GDK_BUTTON1_MASK) == 0) return FALSE;
    if (!gtk_drag_check_threshold(window, static_cast<gint>(x11Press.x),
                                  static_cast<gint>(x11Press.y), static_cast<gint>(motion->x),
                                  static_cast<gint>(motion->y))) {
        return FALSE;
    }
    x11Press.pending = false;
    // From where the button went down: the window catches up with the pointer.
    gtk_window_begin_move_drag(GTK_WINDOW(window), static_cast<gint>(x11Press.button),
                               static_cast<gint>(x11Press.rootX), static_cast<gint>(x11Press.rootY),
                               motion->time);
    return TRUE;
}

void ShowOnX11(GtkWidget* window, const PlacePoint& place) {
    if (x11.shownKnown && place == x11.shown) return;
    x11.shown = place;
    x11.shownKnown = true;
    gtk_window_move(GTK_WINDOW(window), place.x, place.y);
    Settle(window);
}

// ---------------------------------------------------------------------------
// Layer-shell: the clock chooses the output and its margins from that
// output's top-left, and moves itself while the first button is held.
//
// While the button is held the window itself stays where it is and only the
// clock's frames follow the pointer; the window takes its new place when the
// button is let go. Compositors disagree about what a pointer position means
// while a surface moves under a held button (some count from where the surface
// was at the press, others from where it is now), and a window mapped again on
// another output mid-drag would lose the pointer to whatever lies under it. A
// window that does not move leaves no room for either.

struct LayerPlace {
    GdkMonitor* monitor = nullptr;  // the output asked for (nullptr: the compositor's)
    PlacePoint asked;               // the place asked for, in desktop coordinates
    bool dragging = false;
    PlacePoint pressedAt;  // the place when the drag began
    double pressX = 0;     // the pointer in the surface then
    double pressY = 0;
    PlacePoint dragged;  // where the pointer has taken the clock
} layer;

// On the monitor of this index (-1: wherever the compositor puts it, with
// the place as margins), at this place.
void ShowOnLayer(GtkWidget* window, const Monitors& monitors, int index, const PlacePoint& place) {
    GdkMonitor* monitor = index >= 0 ? monitors.handles[static_cast<std::size_t>(index)] : nullptr;
    if (monitor == layer.monitor && place == layer.asked) return;
    const PlacePoint margins =
        index >= 0 ? MarginsOn(monitors.rects[static_cast<std::size_t>(index)], place) : place;
    layer.asked = place;
    gtk_layer_set_margin(GTK_WINDOW(window), GTK_LAYER_SHELL_EDGE_LEFT, margins.x);
    gtk_layer_set_margin(GTK_WINDOW(window), GTK_LAYER_SHELL_EDGE_TOP, margins.y);
    if (monitor != layer.monitor) {
        layer.monitor = monitor;
        // A mapped surface is mapped again on the new output.
        gtk_layer_set_monitor(GTK_WINDOW(window), monitor);
    }
    if (gtk_widget_get_realized(window)) gtk_widget_queue_draw(window);
}

// The pointer at x, y of the (unmoved) surface.
void DragLayerTo(GtkWidget* window, double x, double y) {
    const PlacePoint to = Moved(layer.pressedAt, x - layer.pressX, y - layer.pressY);
    if (to == layer.dragged) return;
    layer.dragged = to;
    if (ShiftClockFrames(SaturatingSub(to.x, layer.pressedAt.x),
                         SaturatingSub(to.y, layer.pressedAt.y), true)) {
        return;
    }
    // Frames that are the window's own move with it, on its output.
    const Monitors monitors = ListMonitors(window);
    ShowOnLayer(window, monitors, monitors.IndexOf(layer.monitor), to);
}

// The window goes where the clock was let go, on the output under the pointer
// (else the one that shows most of it), its frames back in it with the same
// commit.
void EndLayerDrag(GtkWidget* window, double x, double y) {
    DragLayerTo(window, x, y);
    layer.dragging = false;
    ShiftClockFrames(0, 0, false);
    const Monitors monitors = ListMonitors(window);
    const PlaceRect clock{layer.dragged.x, layer.dragged.y, ScaledFaceWidth(), ScaledFaceHeight()};
    int index = MonitorAt(monitors.rects, Moved(layer.pressedAt, x, y));
    if (index < 0) index = MonitorShowing(monitors.rects, clock);
    if (index < 0) index = monitors.IndexOf(layer.monitor);
    ShowOnLayer(window, monitors, index, layer.dragged);
    if (layer.dragged == layer.pressedAt) return;
    NoteUserPlace(layer.dragged.x, layer.dragged.y);
    SaveClockSettings();
}

gboolean OnLayerMotion(GtkWidget* window, GdkEventMotion* motion, gpointer) {
    if (!layer.dragging) return FALSE;
    DragLayerTo(window, motion->x, motion->y);
    return TRUE;
}

// ---------------------------------------------------------------------------
// Monitors added, removed, resized or rearranged: the clock is shown again
// from its stored place, once the changes of one moment are all known.

guint replaceSource = 0;

void ShowAtStoredPlace(GtkWidget* window) {
    const Monitors monitors = ListMonitors(window);
    const ShownPlace shown = PlaceToShow(monitors.rects, StoredClock());
    if (gtk_layer_is_layer_window(GTK_WINDOW(window))) {
        ShowOnLayer(window, monitors, shown.monitor, shown.place);
    } else if (CurrentDesktop() == Desktop::X11) {
        ShowOnX11(window, shown.place);
    }
}

gboolean ReplaceClock(gpointer window) {
    replaceSource = 0;
    // A drag in progress carries on; the place is checked when monitors next change.
    if (!layer.dragging && !WindowGone()) ShowAtStoredPlace(static_cast<GtkWidget*>(window));
    return G_SOURCE_REMOVE;
}

void OnMonitorsChanged(GtkWidget* window) {
    // The window manager may move the window itself, before or after the clock does.
    if (CurrentDesktop() == Desktop::X11) Settle(window);
    if (replaceSource == 0) replaceSource = g_idle_add(&ReplaceClock, window);
}

void OnGeometry(GdkMonitor*, GParamSpec*, gpointer window) {
    OnMonitorsChanged(static_cast<GtkWidget*>(window));
}

void WatchMonitor(GdkMonitor* monitor, GtkWidget* window) {
    g_signal_connect_object(monitor, "notify::geometry", G_CALLBACK(OnGeometry), window,
                            G_CONNECT_DEFAULT);
}

void OnMonitorAdded(GdkDisplay*, GdkMonitor* monitor, gpointer window) {
    WatchMonitor(monitor, static_cast<GtkWidget*>(window));
    OnMonitorsChanged(static_cast<GtkWidget*>(window));
}

void OnMonitorRemoved(GdkDisplay*, GdkMonitor*, gpointer window) {
    OnMonitorsChanged(static_cast<GtkWidget*>(window));
}

void OnScreenChanged(GdkScreen*, gpointer window) {
    OnMonitorsChanged(static_cast<GtkWidget*>(window));
}

}  // namespace

void PlaceClockWindow(GtkWidget* window) {
    GdkDisplay* display = gtk_widget_get_display(window);
    for (int i = 0, count = gdk_display_get_n_monitors(display); i < count; ++i) {
        WatchMonitor(gdk_display_get_monitor(display, i), window);
    }
    g_signal_connect_object(display, "monitor-added", G_CALLBACK(OnMonitorAdded), window,
                            G_CONNECT_DEFAULT);
    g_signal_connect_object(display, "monitor-removed", G_CALLBACK(OnMonitorRemoved), window,
                            G_CONNECT_DEFAULT);
    GdkScreen* screen = gtk_widget_get_screen(window);
    g_signal_connect_object(screen, "monitors-changed", G_CALLBACK(OnScreenChanged), window,
                            G_CONNECT_DEFAULT);
    g_signal_connect_object(screen, "size-changed", G_CALLBACK(OnScreenChanged), window,
                            G_CONNECT_DEFAULT);
    if (CurrentDesktop() == Desktop::X11) {
        gtk_widget_add_events(window, GDK_STRUCTURE_MASK | GDK_LEAVE_NOTIFY_MASK);
        g_signal_connect(window, "configure-event", G_CALLBACK(OnConfigure), nullptr);
        g_signal_connect(window, "leave-notify-event", G_CALLBACK(OnLeave), nullptr);
        g_signal_connect(window, "motion-notify-event", G_CALLBACK(OnX11Motion), nullptr);
        g_signal_connect(window, "map-event", G_CALLBACK(OnMapped), nullptr);
        g_signal_connect(window, "unmap-event", G_CALLBACK(OnUnmapped), nullptr);
        SpareFromShowDesktop(window);
        ShowAtStoredPlace(window);
    }
}

void PlaceLayerSurface(GtkWidget* window) {
    ShowAtStoredPlace(window);
    g_signal_connect(window, "motion-notify-event", G_CALLBACK(OnLayerMotion), nullptr);
}

bool ReopenedOnAnotherOutput(GtkWidget* window) {
    if (!gtk_layer_is_layer_window(GTK_WINDOW(window))) return false;
    if (layer.dragging) {
        layer.dragging = false;
        ShiftClockFrames(0, 0, false);
    }
    // Its output may be gone before GDK knows: the compositor chooses one
    // until the monitors are known again.
    if (layer.monitor != nullptr) {
        layer.monitor = nullptr;
        gtk_layer_set_monitor(GTK_WINDOW(window), nullptr);  // maps it again
    } else {
        gtk_widget_hide(window);
        gtk_widget_show(window);
    }
    OnMonitorsChanged(window);
    return true;
}

void BeginClockMove(GtkWidget* window, GdkEventButton* press) {
    if (gtk_layer_is_layer_window(GTK_WINDOW(window))) {
        // The compositor offers no move for layer surfaces.
        layer.dragging = true;
        layer.pressedAt = layer.asked;
        layer.dragged = layer.asked;
        layer.pressX = press->x;
        layer.pressY = press->y;
        return;
    }
    // The window manager moves the window once the pointer moves with the
    // button held; its configure events tell the clock.
    TakeUsersHand();
    x11Press = {true, press->button, press->x, press->y, press->x_root, press->y_root};
}

void EndClockMove(GtkWidget* window, GdkEventButton* release) {
    if (release->button != GDK_BUTTON_PRIMARY) return;
    x11Press.pending = false;
    if (layer.dragging) {
        // A Wayland button event carries no position: GDK gives it the last
        // motion's, in the same unmoved surface.
        EndLayerDrag(window, release->x, release->y);
    }
}

}  // namespace tickora
