// Typed registry values: every call opens its key, does one thing and closes it.
// Failures are silent: a false result or the caller's default.
#pragma once

#include <cstdint>

namespace tickora {

using RegRoot = std::uintptr_t;

bool ReadRegValue(RegRoot root, const char16_t* path, const char16_t* name,
                  std::uint32_t expectedType, void* buffer, std::uint32_t bufferSize);
bool WriteRegValue(RegRoot root, const char16_t* path, const char16_t* name, std::uint32_t type,
                   const void* data, std::uint32_t size);
bool DeleteRegValue(RegRoot root, const char16_t* path, const char16_t* name);

std::int32_t ReadRegDword(RegRoot root, const char16_t* path, const char16_t* name,
                          std::int32_t fallback);
bool WriteRegDword(RegRoot root, const char16_t* path, const char16_t* name, std::int32_t number);

// Returns the stored text in a buffer shared by every call (valid until the next
// call), or `fallback` itself. Text over 2047 code units yields `fallback`.
const char16_t* ReadRegString(RegRoot root, const char16_t* path, const char16_t* name,
                              const char16_t* fallback);
bool WriteRegString(RegRoot root, const char16_t* path, const char16_t* name, const char16_t* text);

// The most text ReadRegString accepts, in bytes.
inline constexpr std::uint32_t kRegStringBytes = 4094;

}  // namespace tickora
