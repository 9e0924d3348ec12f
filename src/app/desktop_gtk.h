// Which desktop the Linux clock runs on, and what differs there: an X11
// window (X11 desktops, and Wayland desktops without layer-shell through
// XWayland), a layer surface on Wayland desktops that offer layer-shell, or a
// plain Wayland window where neither is possible.
#pragma once

#include <gtk/gtk.h>

namespace tickora {

enum class Desktop { X11, LayerShell, PlainWayland };

// Before gtk_init: allows the GDK backend that suits this desktop best. A
// GDK_BACKEND the user set is left alone.
void ChooseBackend();
// After gtk_init: what the clock got.
Desktop CurrentDesktop();

// When the window is made: puts it at its stored place, or whole on the
// nearest monitor when no monitor shows that place (the stored place is kept
// for when the monitor comes back), and again whenever monitors are added,
// removed, resized or rearranged.
void PlaceClockWindow(GtkWidget* window);
// Before the window is shown: on layer-shell a layer surface anchored top-left
// on the output that shows its place, with its margins from that output.
void PrepareDesktopWindow(GtkWidget* window);
// On X11: a clock that a window manager hides to show the desktop comes back
// while the desktop is shown.
void SpareFromShowDesktop(GtkWidget* window);
// The bottom layer normally, the top layer while Always on Top is on.
void ApplyLayer(GtkWidget* window, bool topMost);

// A press of the first button on the clock starts a move: the window manager's
// on X11 (the place saved changes by as much as the window moved), the
// clock's own by its margins on a layer surface.
void BeginClockMove(GtkWidget* window, GdkEventButton* press);
// The end of the move: the clock stays, and is saved, where the pointer let go.
void EndClockMove(GtkWidget* window, GdkEventButton* release);

// While a layer surface is dragged its frames are shown x, y (logical
// pixels) from the window, which stays where it is until the drag ends: at
// once, or with the window's next commit (its new place). False where frames
// are the window's own and cannot be shown apart from it.
bool ShiftClockFrames(int x, int y, bool atOnce);

// A delete on a layer surface comes from the compositor, which closes the
// surface when its output goes away: the clock is shown again on an output
// that is there, and the run goes on (true).
bool ReopenedOnAnotherOutput(GtkWidget* window);

// A second start asks the running clock for the mouse: it takes it, even with
// pass-through on, until it next loses the focus.
void CallMouseBack(GtkWidget* window);
bool MouseCalledBack();
void ForgetMouseCallBack();

// What the note shown when pass-through is switched on tells: how to switch it
// off again on this desktop.
const char* PassThroughNoteText();

}  // namespace tickora
