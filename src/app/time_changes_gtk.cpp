#include "app/time_changes_gtk.h"

#include <errno.h>
#include <glib-unix.h>
#include <stdlib.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

namespace tickora {
namespace {

// The timer is there to be cancelled, not to expire: about a century ahead,
// well inside what the kernel's time can hold.
constexpr time_t kFarAhead = time_t{100} * 365 * 24 * 60 * 60;

}  // namespace

TimeChangeWatch::TimeChangeWatch(Callback changed, gpointer data) : changed_(changed), data_(data) {
    // An absolute CLOCK_REALTIME timer armed with CANCEL_ON_SET becomes readable
    // (read fails with ECANCELED) whenever the wall clock is set or stepped, and
    // after every resume, since the kernel treats a resume as a clock change.
    timerFd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ >= 0) {
        ArmTimer();
        timerSource_ = g_unix_fd_add(timerFd_, G_IO_IN, &OnClockSet, this);
    }
    // With TZ set the zone is the variable's, whatever /etc/localtime holds.
    if (getenv("TZ") != nullptr) return;
    // The monitor watches the folder, so a new link renamed over the file (as
    // timedatectl does it) is seen as well as a file written in place.
    GFile* zoneFile = g_file_new_for_path("/etc/localtime");
    zoneMonitor_ = g_file_monitor_file(zoneFile, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    g_object_unref(zoneFile);
    if (zoneMonitor_ != nullptr) {
        g_signal_connect(zoneMonitor_, "changed", G_CALLBACK(&OnZoneFile), this);
    }
}

TimeChangeWatch::~TimeChangeWatch() {
    if (zoneMonitor_ != nullptr) {
        g_signal_handlers_disconnect_by_data(zoneMonitor_, this);
        g_object_unref(zoneMonitor_);
    }
    if (timerSource_ != 0) g_source_remove(timerSource_);
    if (timerFd_ >= 0) close(timerFd_);
}

void TimeChangeWatch::ArmTimer() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    itimerspec when{};
    when.it_value.tv_sec = now.tv_sec + kFarAhead;
    timerfd_settime(timerFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
}

gboolean TimeChangeWatch::OnClockSet(gint fd, GIOCondition, gpointer self) {
    auto* watch = static_cast<TimeChangeWatch*>(self);
    std::uint64_t expirations = 0;
    if (read(fd, &expirations, sizeof expirations) < 0 && errno != ECANCELED) {
        if (errno == EAGAIN || errno == EINTR) return G_SOURCE_CONTINUE;
        watch->timerSource_ = 0;  // a broken descriptor must not wake the loop forever
        return G_SOURCE_REMOVE;
    }
    // Armed again before the clock is read, so that a change in between is not lost.
    watch->ArmTimer();
    watch->changed_(watch->data_);
    return G_SOURCE_CONTINUE;
}

void TimeChangeWatch::OnZoneFile(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer self) {
    // localtime_r keeps the zone it read first; tzset reads /etc/localtime again
    // when it is another file than before (or the same one changed).
    tzset();
    auto* watch = static_cast<TimeChangeWatch*>(self);
    watch->changed_(watch->data_);
}

}  // namespace tickora
