// Where the Linux clock's window is shown and how it moves (the operations
// are declared in desktop_gtk.h): X11 windows by gtk_window_move and the
// window manager's move, layer surfaces by their output and margins.
#pragma once

#include <gtk/gtk.h>

namespace tickora {

// Puts a layer surface (before it is mapped) on the output that shows its
// place, and takes over its moves.
void PlaceLayerSurface(GtkWidget* window);

}  // namespace tickora
