// Wakes the clock when the local time jumps, rather than polling for it: the
// wall clock set or stepped (by hand, by a time server), a resume from suspend,
// or the time zone changed (/etc/localtime replaced).
#pragma once

#include <gio/gio.h>

namespace tickora {

class TimeChangeWatch {
  public:
    using Callback = void (*)(gpointer data);

    // Calls changed(data) from the main loop after each jump, once the C library
    // reads local time in the new zone.
    TimeChangeWatch(Callback changed, gpointer data);
    ~TimeChangeWatch();
    TimeChangeWatch(const TimeChangeWatch&) = delete;
    TimeChangeWatch& operator=(const TimeChangeWatch&) = delete;

  private:
    static gboolean OnClockSet(gint fd, GIOCondition condition, gpointer self);
    static void OnZoneFile(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event, gpointer self);
    void ArmTimer();

    Callback changed_;
    gpointer data_;
    int timerFd_ = -1;
    guint timerSource_ = 0;
    GFileMonitor* zoneMonitor_ = nullptr;
};

}  // namespace tickora
