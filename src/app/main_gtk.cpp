// Entry and lifetime of the Linux clock.
#include <gtk/gtk.h>
#include <sched.h>
#include <sys/resource.h>

#include <cstdio>
#include <optional>

#include "app/clock_window_gtk.h"
#include "app/command_line_gtk.h"
#include "app/desktop_gtk.h"
#include "app/i18n_gtk.h"
#include "app/session_gtk.h"
#include "app/single_instance.h"
#include "app/window_mode.h"
#include "imaging/imaging.h"
#include "settings/autostart.h"
#include "settings/settings.h"
#include "skin/skin.h"

using namespace tickora;

int main(int argc, char** argv) {
    // --help and --version answer without a display, and without a word to a
    // running clock.
    if (const std::optional<int> answered = AnswerCommandLine(argc, argv)) return *answered;
    // Before anything else: a session may end at any moment of the start.
    WatchSignals();
    if (!ClaimSingleInstance()) return 0;
    // Idle priority before anything is loaded: even start-up yields to other work.
    setpriority(PRIO_PROCESS, 0, 19);
    sched_param idle{};
    sched_setscheduler(0, SCHED_IDLE, &idle);
    DeleteAutostart();
    // The clock never draws with OpenGL; without this GDK maps Mesa (tens of
    // megabytes) to probe it. A setting of the user's own is left alone.
    g_setenv("GDK_GL", "disable", FALSE);
    ChooseBackend();
    StartTranslations();
    // Before GDK opens the display: it takes the Wayland application id and
    // WM_CLASS's name from the program name (and the class from it, capitalised,
    // unless told otherwise after gtk_init).
    g_set_prgname(kAppId);
    g_set_application_name("Tickora");
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "tickora: cannot open the display\n");
        return 1;
    }
    gdk_set_program_class(kAppId);
    const std::uintptr_t imagingToken = imaging::StartImaging();
    LoadSettings();
    LoadSkin();

    GtkWidget* window = CreateClockWindow();
    if (window != nullptr) {
        WatchWindow(window);
        PrepareDesktopWindow(window);
        // Set before the window is mapped, so that they are its initial state.
        ApplyWindowMode(window, false);
        HideFromTaskbar(window);
        gtk_widget_show_all(window);
        StartFrameTimer(window);
        gtk_main();
        // Exit from the menu, the window closed, or destroyed from outside.
        SaveClockSettings();
        if (!WindowGone()) gtk_widget_destroy(window);
    }
    ReleaseSkin();
    imaging::StopImaging(imagingToken);
    return 0;
}
