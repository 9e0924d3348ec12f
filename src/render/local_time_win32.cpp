#include <windows.h>

#include "render/clock_positions.h"

namespace tickora {

LocalTime PlatformLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace tickora
