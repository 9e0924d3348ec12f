// How a run of the Linux clock ends, however it ends: exit from the menu, the
// window closed or destroyed from outside, SIGTERM or SIGHUP at any moment,
// or the display connection lost. Also keeps the settings file current while
// the clock runs, so that even a process killed outright loses nothing.
#pragma once

#include <gtk/gtk.h>

namespace tickora {

// The first thing at start: SIGTERM and SIGHUP (session end) and SIGUSR1 (a
// second start asking for the mouse back) are handled from here on. A signal
// that comes before the main loop runs is acted on as soon as it does.
void WatchSignals();
// Ties the run's end to the window once it exists: its destruction from
// outside and the display connection under it.
void WatchWindow(GtkWidget* window);
// Whether the window was destroyed from outside (then it must not be touched).
bool WindowGone();
// The place saved (PosX, PosY: the clock's top-left in desktop coordinates,
// logical pixels): the one loaded, until the user moves the clock. Where a
// window manager or a missing monitor puts the clock is never saved.
int StoredPlaceX();
int StoredPlaceY();
// The user moved the clock to this place.
void NoteUserPlace(int x, int y);
// Writes the settings with the stored place: now, or once a move carried out
// in steps (by a window manager) has come to rest.
void SaveClockSettings();
void SaveClockSettingsSoon();

}  // namespace tickora
