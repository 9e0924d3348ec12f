// The key store: the small set of registry primitives the settings code needs.
// Windows passes them straight to advapi32; Linux keeps the same keys, value types
// and bytes in a per-user file. No OS types cross this header.
#pragma once

#include <cstdint>

namespace tickora::keystore {

// Opaque key handle; only the backend knows what it points to.
using Key = void*;

// Predefined root, as the registry numbers it.
inline constexpr std::uintptr_t kCurrentUser = 0x80000001u;

// Result codes, as the platform numbers them.
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidParameter = 87;
inline constexpr long kMoreData = 234;
inline constexpr long kCannotWrite = 1021;  // ERROR_CANTWRITE

// Value types.
inline constexpr std::uint32_t kTypeSz = 1;
inline constexpr std::uint32_t kTypeExpandSz = 2;
inline constexpr std::uint32_t kTypeDword = 4;

// Access masks.
inline constexpr std::uint32_t kRead = 0x20019;
inline constexpr std::uint32_t kWrite = 0x20006;

// Opens an existing key; fails when it is missing or cannot be opened with that access.
long OpenKey(std::uintptr_t root, const char16_t* path, std::uint32_t access, Key* key);
// Creates a key with every missing key above it, or opens it when it exists.
long CreateKey(std::uintptr_t root, const char16_t* path, Key* key);
// Copies a value's bytes into data (size in: capacity, out: bytes stored) and its type.
// Fails with kMoreData when the value is larger than the buffer.
long QueryValue(Key key, const char16_t* name, std::uint32_t* type, void* data,
                std::uint32_t* size);
long SetValue(Key key, const char16_t* name, std::uint32_t type, const void* data,
              std::uint32_t size);
long DeleteValue(Key key, const char16_t* name);
long CloseKey(Key key);

}  // namespace tickora::keystore
