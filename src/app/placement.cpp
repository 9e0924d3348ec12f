#include "app/placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "settings/saturating.h"

namespace tickora {
namespace {

// Overlap of [a, a + aLength) and [b, b + bLength), 0 when apart.
std::int64_t Overlap(int a, int aLength, int b, int bLength) {
    const std::int64_t start = std::max<std::int64_t>(a, b);
    const std::int64_t end =
        std::min<std::int64_t>(std::int64_t{a} + aLength, std::int64_t{b} + bLength);
    return std::max<std::int64_t>(0, end - start);
}

// How far [a, a + aLength) is from [b, b + bLength), 0 when they meet.
std::int64_t Gap(int a, int aLength, int b, int bLength) {
    if (std::int64_t{a} + aLength <= b) return std::int64_t{b} - a - aLength;
    if (std::int64_t{b} + bLength <= a) return std::int64_t{a} - b - bLength;
    return 0;
}

}  // namespace

int MonitorShowing(const std::vector<PlaceRect>& monitors, const PlaceRect& clock) {
    const std::int64_t gripX = std::min(kGripPixels, std::max(1, clock.width));
    const std::int64_t gripY = std::min(kGripPixels, std::max(1, clock.height));
    int best = -1;
    std::int64_t bestArea = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const PlaceRect& monitor = monitors[i];
        const std::int64_t wide =
            Overlap(clock.x, std::max(1, clock.width), monitor.x, monitor.width);
        const std::int64_t high =
            Overlap(clock.y, std::max(1, clock.height), monitor.y, monitor.height);
        if (wide < gripX || high < gripY) continue;
        if (wide * high > bestArea) {
            best = static_cast<int>(i);
            bestArea = wide * high;
        }
    }
    return best;
}

int MonitorAt(const std::vector<PlaceRect>& monitors, const PlacePoint& point) {
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const PlaceRect& monitor = monitors[i];
        if (Overlap(point.x, 1, monitor.x, monitor.width) > 0 &&
            Overlap(point.y, 1, monitor.y, monitor.height) > 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int NearestMonitor(const std::vector<PlaceRect>& monitors, const PlaceRect& clock) {
    int nearest = -1;
    // In double: a place typed by hand may be billions of pixels away.
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const PlaceRect& monitor = monitors[i];
        const double dx = static_cast<double>(Gap(clock.x, clock.width, monitor.x, monitor.width));
        const double dy =
            static_cast<double>(Gap(clock.y, clock.height, monitor.y, monitor.height));
        const double distance = dx * dx + dy * dy;
        if (distance < nearestDistance) {
            nearest = static_cast<int>(i);
            nearestDistance = distance;
        }
    }
    return nearest;
}

PlacePoint ClampOnto(const PlaceRect& monitor, const PlaceRect& clock) {
    const auto clamp = [](int at, int length, int start, int room) {
        const std::int64_t last = std::int64_t{start} + room - length;
        // Too large to fit: the top-left stays on the monitor.
        if (last < start) return start;
        return ClampToInt(std::clamp<std::int64_t>(at, start, last));
    };
    return {clamp(clock.x, clock.width, monitor.x, monitor.width),
            clamp(clock.y, clock.height, monitor.y, monitor.height)};
}

ShownPlace PlaceToShow(const std::vector<PlaceRect>& monitors, const PlaceRect& clock) {
    const PlacePoint stored{clock.x, clock.y};
    if (monitors.empty()) return {-1, stored};
    const int showing = MonitorShowing(monitors, clock);
    if (showing >= 0) return {showing, stored};
    const int nearest = NearestMonitor(monitors, clock);
    return {nearest, ClampOnto(monitors[static_cast<std::size_t>(nearest)], clock)};
}

PlacePoint MarginsOn(const PlaceRect& monitor, const PlacePoint& place) {
    return {SaturatingSub(place.x, monitor.x), SaturatingSub(place.y, monitor.y)};
}

PlacePoint PlaceFromMargins(const PlaceRect& monitor, const PlacePoint& margins) {
    return {SaturatingAdd(monitor.x, margins.x), SaturatingAdd(monitor.y, margins.y)};
}

}  // namespace tickora
