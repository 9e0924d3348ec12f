#include "app/desktop_gtk.h"

#include <gdk/gdkwayland.h>
#include <gtk-layer-shell/gtk-layer-shell.h>
#include <wayland-client.h>

#include <cstdlib>
#include <cstring>

#include "app/i18n_gtk.h"
#include "app/place_gtk.h"
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
    PlaceLayerSurface(window);
    ApplyLayer(window, clockSettings.TopMost);
}

void ApplyLayer(GtkWidget* window, bool topMost) {
    if (!gtk_layer_is_layer_window(GTK_WINDOW(window))) return;
    gtk_layer_set_layer(GTK_WINDOW(window),
                        topMost ? GTK_LAYER_SHELL_LAYER_TOP : GTK_LAYER_SHELL_LAYER_BOTTOM);
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
