// The floor under the clock's cost: a GTK window of the clock's size that
// wakes as often as the clock's second hand and draws nothing. What the clock
// costs beyond this is its composing and presenting.
#include <gtk/gtk.h>

namespace {

gboolean OnTick(gpointer) {
    return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
    g_setenv("GDK_GL", "disable", FALSE);  // as the clock: no GL stack loaded
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), 290, 290);
    // Made as the clock's window is: translucent, painted by the program.
    gtk_widget_set_app_paintable(window, TRUE);
    GdkScreen* screen = gtk_widget_get_screen(window);
    if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(window, rgba);
    gtk_widget_show_all(window);
    g_timeout_add(1000 / 12, &OnTick, nullptr);
    gtk_main();
    return 0;
}
