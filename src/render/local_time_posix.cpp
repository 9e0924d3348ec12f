#include <time.h>

#include "render/clock_positions.h"

namespace tickora {

LocalTime PlatformLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    // A leap second (tm_sec 60) is shown as the last second of the minute.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return LocalTime{static_cast<std::uint16_t>(local.tm_hour),
                     static_cast<std::uint16_t>(local.tm_min), static_cast<std::uint16_t>(second),
                     static_cast<std::uint16_t>(now.tv_nsec / 1000000)};
}

}  // namespace tickora
