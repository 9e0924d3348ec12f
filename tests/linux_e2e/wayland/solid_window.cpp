// A plain application window for the compositor to tile over the whole
// output: one solid colour, and every button press on it reported on stdout
// ("press X Y"), so that a test sees what lies above it and what the mouse hits.
#include <gtk/gtk.h>

#include <cstdio>

namespace {

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer) {
    cairo_set_source_rgb(cr, 0, 0.75, 0);
    cairo_paint(cr);
    return TRUE;
}

gboolean OnPress(GtkWidget*, GdkEventButton* press, gpointer) {
    std::printf("press %d %d\n", static_cast<int>(press->x), static_cast<int>(press->y));
    std::fflush(stdout);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "solid");
    gtk_widget_set_app_paintable(window, TRUE);
    gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(window, "draw", G_CALLBACK(OnDraw), nullptr);
    g_signal_connect(window, "button-press-event", G_CALLBACK(OnPress), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
