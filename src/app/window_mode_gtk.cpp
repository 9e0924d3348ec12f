// Click-through, keep-above and taskbar state of the Linux clock window.
#include <gtk/gtk.h>

#include "app/desktop_gtk.h"
#include "app/window_mode.h"
#include "settings/settings.h"

namespace tickora {

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
    gtk_window_set_keep_above(GTK_WINDOW(widget), clockSettings.TopMost);
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
