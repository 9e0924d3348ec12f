// Entry and lifetime of the Linux clock.
#include <gtk/gtk.h>
#include <sched.h>
#include <sys/resource.h>

#include <cstdio>

#include "app/clock_window_gtk.h"
#include "app/single_instance.h"
#include "app/window_mode.h"
#include "render/imaging.h"
#include "settings/autostart.h"
#include "settings/settings.h"
#include "skin/skin.h"

using namespace tickora;

int main(int argc, char** argv) {
    if (!ClaimSingleInstance()) return 0;
    // Idle priority before anything is loaded: even start-up yields to other work.
    setpriority(PRIO_PROCESS, 0, 19);
    sched_param idle{};
    sched_setscheduler(0, SCHED_IDLE, &idle);
    DeleteAutostart();
    // The clock never draws with OpenGL; without this GDK maps Mesa (tens of
    // megabytes) to probe it. A setting of the user's own is left alone.
    g_setenv("GDK_GL", "disable", FALSE);
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "tickora: cannot open the display\n");
        return 1;
    }
    const std::uintptr_t imagingToken = imaging::StartImaging();
    LoadSettings();
    LoadSkin();

    GtkWidget* window = CreateClockWindow();
    if (window != nullptr) {
        // Set before the window is mapped, so that they are its initial state.
        ApplyWindowMode(window, false);
        HideFromTaskbar(window);
        gtk_widget_show_all(window);
        WatchSessionEnd(window);
        StartFrameTimer(window);
        gtk_main();
        SaveSettingsFrom(window);
        gtk_widget_destroy(window);
    }
    ReleaseSkin();
    imaging::StopImaging(imagingToken);
    return 0;
}
