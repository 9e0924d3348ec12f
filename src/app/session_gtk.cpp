#include "app/session_gtk.h"

#include <gdk/gdkwayland.h>
#include <glib-unix.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "app/desktop_gtk.h"
#include "app/window_mode.h"
#include "settings/autostart.h"
#include "settings/settings.h"
#include "skin/files.h"
#include "render/frame.h"

// Last: Xlib's macros (None, Status...) would clash with names above.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace tickora {
namespace {

struct Run {
    // Held from WatchWindow on: a window destroyed from outside stays a valid
    // (if dead) object for whatever still holds its pointer.
    GtkWidget* window = nullptr;
    bool windowGone = false;
    bool placeKnown = false;
    int x = 0;
    int y = 0;
    guint pendingSave = 0;
} run;

WindowRect KnownRect() {
    const int x = run.placeKnown ? run.x : clockSettings.PosX;
    const int y = run.placeKnown ? run.y : clockSettings.PosY;
    return WindowRect{x, y, x + ScaledFaceWidth(), y + ScaledFaceHeight()};
}

// Touches neither GTK nor the display: also called when the display is gone.
[[noreturn]] void EndSession() {
    WriteAutostart(ExecutablePath().c_str());
    SaveSettings(KnownRect());
    // Nothing else is left to do, and exit handlers could still reach for a
    // display that is gone.
    _exit(0);
}

gboolean OnSessionSignal(gpointer) {
    // Settings are loaded before the main loop first runs, so a signal that
    // came during start-up still saves what was loaded, not the defaults.
    EndSession();
}

gboolean OnMouseWanted(gpointer) {
    if (run.window != nullptr && !run.windowGone) {
        CallMouseBack(run.window);
        ApplyWindowMode(run.window, false);
    }
    return G_SOURCE_CONTINUE;
}

// X11 logout closes the display: GDK would end the process with status 1.
int OnXConnectionLost(Display*) {
    EndSession();
}

// Hang-up on the display connection, seen before GDK's own source reads it.
gboolean OnDisplayHangUp(gint, GIOCondition, gpointer) {
    EndSession();
}

void WatchDisplayConnection(GdkDisplay* display) {
    int fd = -1;
    if (GDK_IS_X11_DISPLAY(display)) {
        Display* xdisplay = GDK_DISPLAY_XDISPLAY(display);
        fd = ConnectionNumber(xdisplay);
        XSetIOErrorHandler(&OnXConnectionLost);
        // Another client may destroy the clock's window at any moment, and GDK
        // ends the process on the errors its own later requests then cause
        // (BadWindow). A trap held for the whole run makes X errors what they
        // are for a clock: a request that did nothing.
        gdk_x11_display_error_trap_push(display);
    } else if (GDK_IS_WAYLAND_DISPLAY(display)) {
        fd = wl_display_get_fd(gdk_wayland_display_get_wl_display(display));
    }
    if (fd >= 0) {
        g_unix_fd_add_full(G_PRIORITY_HIGH, fd, static_cast<GIOCondition>(G_IO_HUP | G_IO_ERR),
                           &OnDisplayHangUp, nullptr, nullptr);
    }
}

gboolean SavePendingPlace(gpointer) {
    run.pendingSave = 0;
    SaveClockSettings();
    return G_SOURCE_REMOVE;
}

// X11 reports where the window is; a move ends when the reports stop.
gboolean OnConfigure(GtkWidget* window, GdkEvent*, gpointer) {
    if (run.windowGone || !gtk_widget_get_mapped(window)) return FALSE;
    // The clock's own window, not a frame around it: some XWayland window
    // managers frame even undecorated windows (with a margin for a shadow).
    // A window another client has just destroyed has no place: the answer is
    // an error, not 0, 0.
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
    GdkDisplay* display = gdk_window_get_display(gdkWindow);
    int x = 0;
    int y = 0;
    Window child = 0;
    gdk_x11_display_error_trap_push(display);
    const Bool answered = XTranslateCoordinates(
        GDK_DISPLAY_XDISPLAY(display), GDK_WINDOW_XID(gdkWindow),
        GDK_WINDOW_XID(gdk_screen_get_root_window(gdk_window_get_screen(gdkWindow))), 0, 0, &x, &y,
        &child);
    if (gdk_x11_display_error_trap_pop(display) != 0 || !answered) return FALSE;
    if (run.placeKnown && x == run.x && y == run.y) return FALSE;
    NoteWindowPlace(x, y);
    if (run.pendingSave != 0) g_source_remove(run.pendingSave);
    run.pendingSave = g_timeout_add(300, &SavePendingPlace, nullptr);
    return FALSE;
}

void OnDestroy(GtkWidget*, gpointer) {
    run.windowGone = true;
    if (gtk_main_level() > 0) gtk_main_quit();
}

// Another client destroyed the window: the run ends as if it had been closed.
// The widget is left as it is (GTK's own destruction of it would touch the X
// window that is gone).
gboolean OnDestroyedFromOutside(GtkWidget* window, GdkEvent*, gpointer) {
    OnDestroy(window, nullptr);
    return TRUE;
}

}  // namespace

void WatchSignals() {
    g_unix_signal_add(SIGTERM, &OnSessionSignal, nullptr);
    g_unix_signal_add(SIGHUP, &OnSessionSignal, nullptr);
    g_unix_signal_add(SIGUSR1, &OnMouseWanted, nullptr);
}

void WatchWindow(GtkWidget* window) {
    run.window = GTK_WIDGET(g_object_ref(window));
    g_signal_connect(window, "destroy", G_CALLBACK(OnDestroy), nullptr);
    g_signal_connect(window, "destroy-event", G_CALLBACK(OnDestroyedFromOutside), nullptr);
    if (CurrentDesktop() == Desktop::X11) {
        g_signal_connect(window, "configure-event", G_CALLBACK(OnConfigure), nullptr);
    }
    WatchDisplayConnection(gtk_widget_get_display(window));
}

bool WindowGone() {
    return run.windowGone;
}

void NoteWindowPlace(int x, int y) {
    run.placeKnown = true;
    run.x = x;
    run.y = y;
}

void SaveClockSettings() {
    SaveSettings(KnownRect());
}

}  // namespace tickora
