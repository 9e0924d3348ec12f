// Arithmetic on numbers that come from the settings store, or from anything
// derived from one: a place, a size, a margin, a drag's distance, a Scale.
// A hand-edited store can hold any 32-bit value, and int arithmetic must never
// overflow on one (undefined behaviour: the optimiser may assume it does not
// happen). Each result is computed in 64 bits and, where it leaves int, held at
// the nearest end of int; within int it is exact.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace tickora {

constexpr int ClampToInt(std::int64_t value) {
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

constexpr int SaturatingAdd(int a, int b) {
    return ClampToInt(std::int64_t{a} + b);
}

constexpr int SaturatingSub(int a, int b) {
    return ClampToInt(std::int64_t{a} - b);
}

constexpr int SaturatingMul(int a, int b) {
    return ClampToInt(std::int64_t{a} * b);
}

// The first pixel past a run of `length` from `start`: a rectangle's right or
// bottom edge.
constexpr int FarEdge(int start, int length) {
    return SaturatingAdd(start, length);
}

// `percent` per cent of `value`, truncated toward zero as integer division does.
constexpr int PercentOf(int value, int percent) {
    return ClampToInt(std::int64_t{value} * percent / 100);
}

// The nearest int (halves away from zero), held within int; 0 for NaN.
inline int RoundToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    if (value >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(std::lround(value));
}

}  // namespace tickora
