// What a screen reader finds of the clock window: a frame named after the time
// the clock shows ("Tickora, 10:08", in the user's language and clock format),
// renamed when the minute changes and no more often, so a screen reader does
// not chatter; a description that tells how to reach the menu. (GTK names the
// application itself after the program name, the application id.)
#pragma once

#include <gtk/gtk.h>

namespace tickora {

// Gives the window its accessible role, name and description, and keeps the
// name on the minute until the window is destroyed.
void DescribeClockWindow(GtkWidget* window);
// The local time jumped (clock set, zone changed, resume): the name follows at
// once, and the minute timer counts from the new time.
void NameAfterTimeChange();

}  // namespace tickora
