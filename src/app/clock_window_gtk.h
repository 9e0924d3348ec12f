// The Linux clock window: GTK 3, an RGBA visual where the screen has one, cut to
// the clock's own shape where no compositing manager blends it.
#pragma once

#include <gtk/gtk.h>

namespace tickora {

// Creates the window at PosX, PosY with the scaled face size, hooks its events
// and makes it the presentation of every frame; nullptr when it cannot be made.
GtkWidget* CreateClockWindow();
// Arms the frame timer: a first tick after 10 ms, then one when the hands can next
// change, and at once when the local time jumps (a new zone, the clock set).
void StartFrameTimer(GtkWidget* window);
// After a menu command: whatever it changed is on screen at once, not with the
// next change of the hands.
void ShowMenuChoice(GtkWidget* window);

}  // namespace tickora
