#include "app/desktop_gtk.h"

#include <gdk/gdkwayland.h>
#include <gtk-layer-shell/gtk-layer-shell.h>
#include <wayland-client.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/i18n_gtk.h"
#include "app/session_gtk.h"
#include "settings/settings.h"

namespace tickora {
namespace {

bool UserChoseBackend() {
    const char* backend = std::getenv("GDK_BACKEND");
    return backend != nullptr && backend[0] != '\0';
}

// TICKORA_LAYER_SHELL=0 makes the clock treat a layer-shell compositor as one
// without it (a desktop whose layer-shell misbehaves, and the tests of the
// XWayland path).
bool LayerShellRefused() {
    const char* setting = std::getenv("TICKORA_LAYER_SHELL");
    return setting != nullptr && std::strcmp(setting, "0") == 0;
}

void OnGlobal(void* found, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0) *static_cast<bool*>(found) = true;
}
void OnGlobalRemoved(void*, wl_registry*, std::uint32_t) {}

enum class Compositor { None, Plain, WithLayerShell };

// One registry round trip on a connection of its own, closed again: GDK opens
// the display later with the backend chosen from this answer.
Compositor AskCompositor() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return Compositor::None;
    bool layerShell = false;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener listener{&OnGlobal, &OnGlobalRemoved};
    wl_registry_add_listener(registry, &listener, &layerShell);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered) return Compositor::None;
    return layerShell ? Compositor::WithLayerShell : Compositor::Plain;
}

bool HasXServer() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

// The clock's own move of a layer surface. Pointer positions come relative to
// the surface where the compositor had it when it sent them: the margins it
// knows (`placed`) lag behind those the clock asked for (`asked`) until the
// compositor has taken the commit that carries them, which a sync request sent
// after that commit tells.
struct MarginMove {
    bool active = false;
    double pressX = 0;
    double pressY = 0;
    int askedX = 0;
    int askedY = 0;
    int placedX = 0;
    int placedY = 0;
    bool syncWanted = false;
} marginMove;

void OnPlaced(void* margins, wl_callback* callback, std::uint32_t) {
    const auto* asked = static_cast<const int*>(margins);
    marginMove.placedX = asked[0];
    marginMove.placedY = asked[1];
    delete[] asked;
    wl_callback_destroy(callback);
}

// After GDK's own handler has committed the frame with the new margins.
void OnAfterPaint(GdkFrameClock*, gpointer window) {
    if (!marginMove.syncWanted) return;
    marginMove.syncWanted = false;
    wl_display* display =
        gdk_wayland_display_get_wl_display(gtk_widget_get_display(static_cast<GtkWidget*>(window)));
    static const wl_callback_listener listener{&OnPlaced};
    wl_callback_add_listener(wl_display_sync(display), &listener,
                             new int[2]{marginMove.askedX, marginMove.askedY});
}

void SetMargins(GtkWidget* window, int x, int y) {
    marginMove.askedX = x;
    marginMove.askedY = y;
    gtk_layer_set_margin(GTK_WINDOW(window), GTK_LAYER_SHELL_EDGE_LEFT, x);
    gtk_layer_set_margin(GTK_WINDOW(window), GTK_LAYER_SHELL_EDGE_TOP, y);
    marginMove.syncWanted = true;
    gtk_widget_queue_draw(window);
    NoteWindowPlace(x, y);
}

gboolean OnMotion(GtkWidget* window, GdkEventMotion* motion, gpointer) {
    if (!marginMove.active) return FALSE;
    const int x = marginMove.placedX + static_cast<int>(std::lround(motion->x - marginMove.pressX));
    const int y = marginMove.placedY + static_cast<int>(std::lround(motion->y - marginMove.pressY));
    if (x != marginMove.askedX || y != marginMove.askedY) SetMargins(window, x, y);
    return TRUE;
}

void OnRealizeLayer(GtkWidget* window, gpointer) {
    g_signal_connect(gdk_window_get_frame_clock(gtk_widget_get_window(window)), "after-paint",
                     G_CALLBACK(OnAfterPaint), window);
}

bool mouseCalledBack = false;

}  // namespace

void ChooseBackend() {
    if (UserChoseBackend()) return;
    switch (AskCompositor()) {
        case Compositor::None:
            return;
        case Compositor::WithLayerShell:
            if (!LayerShellRefused()) {
                gdk_set_allowed_backends("wayland,x11");
                return;
            }
            [[fallthrough]];
        case Compositor::Plain:
            // Through XWayland the clock keeps its place, its band and its
            // taskbar state, which a plain Wayland window cannot have.
            gdk_set_allowed_backends(HasXServer() ? "x11,wayland" : "wayland");
            return;
    }
}

Desktop CurrentDesktop() {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr || !GDK_IS_WAYLAND_DISPLAY(display)) return Desktop::X11;
    return gtk_layer_is_supported() && !LayerShellRefused() ? Desktop::LayerShell
                                                            : Desktop::PlainWayland;
}

void PrepareDesktopWindow(GtkWidget* window) {
    if (CurrentDesktop() != Desktop::LayerShell) return;
    GtkWindow* layer = GTK_WINDOW(window);
    gtk_layer_init_for_window(layer);
    gtk_layer_set_namespace(layer, "tickora");
    gtk_layer_set_anchor(layer, GTK_LAYER_SHELL_EDGE_LEFT, TRUE);
    gtk_layer_set_anchor(layer, GTK_LAYER_SHELL_EDGE_TOP, TRUE);
    gtk_layer_set_exclusive_zone(layer, 0);
    // Focus when clicked, so that the menu key reaches the clock.
    gtk_layer_set_keyboard_mode(layer, GTK_LAYER_SHELL_KEYBOARD_MODE_ON_DEMAND);
    SetMargins(window, clockSettings.PosX, clockSettings.PosY);
    marginMove.placedX = clockSettings.PosX;
    marginMove.placedY = clockSettings.PosY;
    g_signal_connect_after(window, "realize", G_CALLBACK(OnRealizeLayer), nullptr);
    ApplyLayer(window, clockSettings.TopMost);
    g_signal_connect(window, "motion-notify-event", G_CALLBACK(OnMotion), nullptr);
}

void ApplyLayer(GtkWidget* window, bool topMost) {
    if (!gtk_layer_is_layer_window(GTK_WINDOW(window))) return;
    gtk_layer_set_layer(GTK_WINDOW(window),
                        topMost ? GTK_LAYER_SHELL_LAYER_TOP : GTK_LAYER_SHELL_LAYER_BOTTOM);
}

void BeginClockMove(GtkWidget* window, GdkEventButton* press) {
    if (gtk_layer_is_layer_window(GTK_WINDOW(window))) {
        // The compositor offers no move for layer surfaces.
        marginMove.active = true;
        marginMove.pressX = press->x;
        marginMove.pressY = press->y;
        return;
    }
    gtk_window_begin_move_drag(GTK_WINDOW(window), static_cast<gint>(press->button),
                               static_cast<gint>(press->x_root), static_cast<gint>(press->y_root),
                               press->time);
}

void EndClockMove(GtkWidget*, GdkEventButton* release) {
    if (!marginMove.active || release->button != GDK_BUTTON_PRIMARY) return;
    marginMove.active = false;
    SaveClockSettings();
}

void CallMouseBack(GtkWidget* window) {
    mouseCalledBack = true;
    gtk_window_present(GTK_WINDOW(window));
}

bool MouseCalledBack() {
    return mouseCalledBack;
}

void ForgetMouseCallBack() {
    mouseCalledBack = false;
}

const char* PassThroughNoteText() {
    if (CurrentDesktop() == Desktop::LayerShell) {
        // Layer surfaces are in no window switcher.
        return _(
            "NOTE! You can deactivate \"Mouse Pass Through\" mode by starting Tickora "
            "again: the running clock then takes the mouse until it next loses the focus.");
    }
    return _(
        "NOTE! You can deactivate \"Mouse Pass Through\" mode by selecting Tickora "
        "with ALT+TAB, or by starting Tickora again!");
}

}  // namespace tickora
