#include "app/accessibility_gtk.h"

#include <langinfo.h>

#include <cstring>
#include <memory>

#include "app/glib_text_gtk.h"
#include "app/i18n_gtk.h"
#include "render/clock_positions.h"

namespace tickora {
namespace {

// The clock format follows the locale's time format (LC_TIME), which every
// desktop sets from its region settings: a 12-hour format there names the
// hour with %I, %l or %r, or carries %p. Seconds are left out: the name
// changes once a minute.
bool TwelveHourClock() {
    const char* format = nl_langinfo(T_FMT);
    for (const char* twelve : {"%I", "%l", "%r", "%p"}) {
        if (std::strstr(format, twelve) != nullptr) return true;
    }
    return false;
}

GText TimeText(const LocalTime& time) {
    // Only hour and minute are formatted; the date does not matter.
    GDateTime* moment = g_date_time_new_utc(2000, 1, 1, time.wHour % 24, time.wMinute % 60, 0);
    if (moment == nullptr) return GText(g_strdup(""));
    GText text{g_date_time_format(moment, TwelveHourClock() ? "%-l:%M %p" : "%H:%M")};
    g_date_time_unref(moment);
    return text ? std::move(text) : GText(g_strdup(""));
}

struct Named {
    GtkWidget* window = nullptr;
    int minute = -1;  // of the day, as last named; -1: not named yet
    guint timer = 0;
} named;

// Renames the window when the minute the hands show has changed.
void NameAfterTime() {
    if (named.window == nullptr) return;
    const LocalTime time = ReadLocalTime();
    const int minute = time.wHour * 60 + time.wMinute;
    if (minute == named.minute) return;
    named.minute = minute;
    // TRANSLATORS: what a screen reader says of the clock window; %s is the
    // time it shows, such as 10:08 or 10:08 AM.
    GText name{g_strdup_printf(_("Tickora, %s"), TimeText(time).get())};
    atk_object_set_name(gtk_widget_get_accessible(named.window), name.get());
}

// Wakes once a minute, just after it begins: the name is never a minute
// behind, and a screen reader hears no more than one change a minute.
gboolean OnMinute(gpointer) {
    NameAfterTime();
    const LocalTime time = ReadLocalTime();
    const guint untilNextMinute =
        (59 - time.wSecond % 60) * 1000 + (1000 - time.wMilliseconds % 1000);
    named.timer = g_timeout_add(untilNextMinute + 20, &OnMinute, nullptr);
    return G_SOURCE_REMOVE;
}

// The timer sleeps in monotonic time, which stands still while the machine
// sleeps: focusing the clock (when a screen reader reads its name) names it
// afresh.
gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer) {
    NameAfterTime();
    return FALSE;
}

void OnDestroy(GtkWidget*, gpointer) {
    if (named.timer != 0) g_source_remove(named.timer);
    named = Named{};
}

}  // namespace

void DescribeClockWindow(GtkWidget* window) {
    AtkObject* accessible = gtk_widget_get_accessible(window);
    atk_object_set_role(accessible, ATK_ROLE_FRAME);
    atk_object_set_description(accessible,
                               _("Analog clock. The menu key or Shift+F10 opens its menu."));
    named = Named{window, -1, 0};
    g_signal_connect(window, "focus-in-event", G_CALLBACK(OnFocusIn), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(OnDestroy), nullptr);
    OnMinute(nullptr);
}

void NameAfterTimeChange() {
    if (named.window == nullptr) return;
    if (named.timer != 0) g_source_remove(named.timer);
    OnMinute(nullptr);
}

}  // namespace tickora
