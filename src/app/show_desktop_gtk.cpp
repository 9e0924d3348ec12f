// "Show desktop" on X11. Some window managers (openbox) hide every window
// they can move, and spare only desktops, docks and splash screens. The clock
// they hide comes back as a splash screen for as long as the desktop is shown
// (such a window the manager neither moves nor hides; it keeps its band), and
// is a normal window again afterwards, which the manager moves for the user.
// Managers that leave the clock alone (xfwm4) see no change at all.
#include <cstdint>
#include <vector>

#include "app/desktop_gtk.h"
#include "app/session_gtk.h"

// Last: Xlib's macros (None, Status...) would clash with names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include "app/x11_property.h"

namespace tickora {
namespace {

struct ShowDesktop {
    GtkWidget* window = nullptr;
    bool spared = false;  // shown as a splash screen
    guint check = 0;
} showDesktop;

bool DesktopShown(GdkDisplay* display) {
    const std::vector<long> items = WindowPropertyItems(
        display, DefaultRootWindow(GDK_DISPLAY_XDISPLAY(display)),
        gdk_x11_get_xatom_by_name_for_display(display, "_NET_SHOWING_DESKTOP"), XA_CARDINAL);
    return !items.empty() && items[0] != 0;
}

bool Viewable(GdkWindow* window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(GDK_WINDOW_XDISPLAY(window), GDK_WINDOW_XID(window), &attributes) !=
               0 &&
           attributes.map_state == IsViewable;
}

// Mapped again with the other type: the manager takes it anew, where the
// clock stands.
void MapAs(GtkWidget* widget, GdkWindowTypeHint type) {
    GtkWindow* window = GTK_WINDOW(widget);
    int x = 0;
    int y = 0;
    gtk_window_get_position(window, &x, &y);
    gtk_widget_hide(widget);
    gtk_window_set_type_hint(window, type);
    // The desktop does not move the focus to a clock that comes back.
    gtk_window_set_focus_on_map(window, FALSE);
    gtk_window_move(window, x, y);
    // On every workspace, as before (a new window starts on the current one).
    gtk_window_stick(window);
    gtk_widget_show(widget);
}

gboolean CheckShowDesktop(gpointer) {
    showDesktop.check = 0;
    GtkWidget* widget = showDesktop.window;
    GdkWindow* window = gtk_widget_get_window(widget);
    if (window == nullptr || WindowGone() || !gtk_widget_get_visible(widget)) {
        return G_SOURCE_REMOVE;
    }
    const bool shown = DesktopShown(gdk_window_get_display(window));
    if (shown && !showDesktop.spared && !Viewable(window)) {
        showDesktop.spared = true;
        MapAs(widget, GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
    } else if (!shown && showDesktop.spared) {
        showDesktop.spared = false;
        MapAs(widget, GDK_WINDOW_TYPE_HINT_NORMAL);
    }
    return G_SOURCE_REMOVE;
}

void CheckShowDesktopSoon() {
    if (showDesktop.check == 0) showDesktop.check = g_idle_add(&CheckShowDesktop, nullptr);
}

GdkFilterReturn OnRootEvent(GdkXEvent* event, GdkEvent*, gpointer showingDesktop) {
    const auto* xevent = static_cast<XEvent*>(event);
    if (xevent->type == PropertyNotify &&
        xevent->xproperty.atom ==
            static_cast<Atom>(reinterpret_cast<std::uintptr_t>(showingDesktop))) {
        CheckShowDesktopSoon();
    }
    return GDK_FILTER_CONTINUE;
}

// The manager hides the window before it says that the desktop is shown.
gboolean OnUnmapped(GtkWidget*, GdkEvent*, gpointer) {
    CheckShowDesktopSoon();
    return FALSE;
}

}  // namespace

void SpareFromShowDesktop(GtkWidget* window) {
    GdkDisplay* display = gtk_widget_get_display(window);
    if (!GDK_IS_X11_DISPLAY(display)) return;
    showDesktop.window = window;
    GdkWindow* root = gdk_screen_get_root_window(gtk_widget_get_screen(window));
    gdk_window_set_events(
        root, static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_PROPERTY_CHANGE_MASK));
    const Atom showingDesktop =
        gdk_x11_get_xatom_by_name_for_display(display, "_NET_SHOWING_DESKTOP");
    gdk_window_add_filter(root, &OnRootEvent,
                          reinterpret_cast<gpointer>(static_cast<std::uintptr_t>(showingDesktop)));
    gtk_widget_add_events(window, GDK_STRUCTURE_MASK);
    g_signal_connect(window, "unmap-event", G_CALLBACK(OnUnmapped), nullptr);
}

}  // namespace tickora
