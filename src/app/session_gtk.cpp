#include "app/session_gtk.h"

#include <gdk/gdkwayland.h>
#include <glib-unix.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "app/desktop_gtk.h"
#include "app/window_mode.h"
#include "settings/autostart.h"
#include "settings/saturating.h"
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
    bool moved = false;
    int x = 0;
    int y = 0;
    guint pendingSave = 0;
} run;

WindowRect KnownRect() {
    const int x = StoredPlaceX();
    const int y = StoredPlaceY();
    return WindowRect{x, y, FarEdge(x, ScaledFaceWidth()), FarEdge(y, ScaledFaceHeight())};
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
    WatchDisplayConnection(gtk_widget_get_display(window));
}

bool WindowGone() {
    return run.windowGone;
}

int StoredPlaceX() {
    return run.moved ? run.x : clockSettings.PosX;
}

int StoredPlaceY() {
    return run.moved ? run.y : clockSettings.PosY;
}

void NoteUserPlace(int x, int y) {
    run.moved = true;
    run.x = x;
    run.y = y;
}

void SaveClockSettings() {
    if (run.pendingSave != 0) g_source_remove(run.pendingSave);
    run.pendingSave = 0;
    SaveSettings(KnownRect());
}

void SaveClockSettingsSoon() {
    if (run.pendingSave != 0) g_source_remove(run.pendingSave);
    run.pendingSave = g_timeout_add(300, &SavePendingPlace, nullptr);
}

}  // namespace tickora
