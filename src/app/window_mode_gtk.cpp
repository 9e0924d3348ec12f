// Click-through, stacking band, workspaces and taskbar state of the Linux
// clock window.
#include <gtk/gtk.h>

#include "app/desktop_gtk.h"
#include "app/window_mode.h"
#include "settings/settings.h"

namespace tickora {
namespace {

// A desktop clock on X11: on every workspace, and below the windows the user
// works in (a click or the focus does not raise it above them), or above them
// all with Always on Top. Each is a hint: a window manager that ignores one
// still honours the others. Layer surfaces take their layer instead.
void KeepInBand(GtkWidget* widget, bool topMost) {
    GtkWindow* window = GTK_WINDOW(widget);
    gtk_window_stick(window);
    // Each call clears the other state; the one wanted comes last.
    if (topMost) {
        gtk_window_set_keep_below(window, FALSE);
        gtk_window_set_keep_above(window, TRUE);
    } else {
        gtk_window_set_keep_above(window, FALSE);
        gtk_window_set_keep_below(window, TRUE);
    }
}

}  // namespace

void ApplyWindowMode(void* window, bool losingFocus) {
    auto* widget = static_cast<GtkWidget*>(window);
    if (losingFocus) ForgetMouseCallBack();
    const bool clickThrough =
        !MouseCalledBack() && ClickThroughWanted(clockSettings.Transparent, losingFocus, [widget] {
            return gtk_window_is_active(GTK_WINDOW(widget)) != FALSE;
        });
    if (clickThrough) {
        // An empty input shape: pointer events go to the windows below.
        cairo_region_t* nothing = cairo_region_create();
        gtk_widget_input_shape_combine_region(widget, nothing);
        cairo_region_destroy(nothing);
    } else {
        gtk_widget_input_shape_combine_region(widget, nullptr);
    }
    KeepInBand(widget, clockSettings.TopMost);
    ApplyLayer(widget, clockSettings.TopMost);
    // On Wayland the input region and the layer travel with the surface's next
    // commit, which GTK makes when it paints (the frames go elsewhere).
    gtk_widget_queue_draw(widget);
}

void HideFromTaskbar(void* window) {
    // Only the taskbar: the window stays in the window switcher.
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(static_cast<GtkWidget*>(window)), TRUE);
}

}  // namespace tickora
