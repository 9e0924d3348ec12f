#include "settings/registry.h"

#include <array>
#include <string_view>

#include "settings/key_store.h"

namespace tickora {
namespace {

// One code unit past the offered bytes stays 0, so text stored without a
// terminator still ends in one.
std::array<char16_t, kRegStringBytes / 2 + 1> stringBuffer{};

bool ReadStringOfType(RegRoot root, const char16_t* path, const char16_t* name,
                      std::uint32_t type) {
    stringBuffer.fill(u'\0');
    return ReadRegValue(root, path, name, type, stringBuffer.data(), kRegStringBytes);
}

}  // namespace

bool ReadRegValue(RegRoot root, const char16_t* path, const char16_t* name,
                  std::uint32_t expectedType, void* buffer, std::uint32_t bufferSize) {
    keystore::Key key = nullptr;
    if (keystore::OpenKey(root, path, keystore::kRead, &key) != keystore::kSuccess) return false;
    std::uint32_t storedType = 0;
    std::uint32_t size = bufferSize;
    const long status = keystore::QueryValue(key, name, &storedType, buffer, &size);
    keystore::CloseKey(key);
    return status == keystore::kSuccess && storedType == expectedType;
}

bool WriteRegValue(RegRoot root, const char16_t* path, const char16_t* name, std::uint32_t type,
                   const void* data, std::uint32_t size) {
    keystore::Key key = nullptr;
    if (keystore::OpenKey(root, path, keystore::kWrite, &key) != keystore::kSuccess &&
        keystore::CreateKey(root, path, &key) != keystore::kSuccess) {
        return false;
    }
    const long status = keystore::SetValue(key, name, type, data, size);
    keystore::CloseKey(key);
    return status == keystore::kSuccess;
}

bool DeleteRegValue(RegRoot root, const char16_t* path, const char16_t* name) {
    keystore::Key key = nullptr;
    if (keystore::OpenKey(root, path, keystore::kWrite, &key) != keystore::kSuccess) return false;
    const long status = keystore::DeleteValue(key, name);
    keystore::CloseKey(key);
    return status == keystore::kSuccess;
}

std::int32_t ReadRegDword(RegRoot root, const char16_t* path, const char16_t* name,
                          std::int32_t fallback) {
    std::uint32_t number = 0;
    if (!ReadRegValue(root, path, name, keystore::kTypeDword, &number, sizeof number)) {
        return fallback;
    }
    return static_cast<std::int32_t>(number);
}

bool WriteRegDword(RegRoot root, const char16_t* path, const char16_t* name, std::int32_t number) {
    const auto bits = static_cast<std::uint32_t>(number);
    return WriteRegValue(root, path, name, keystore::kTypeDword, &bits, sizeof bits);
}

const char16_t* ReadRegString(RegRoot root, const char16_t* path, const char16_t* name,
                              const char16_t* fallback) {
    if (ReadStringOfType(root, path, name, keystore::kTypeSz)) return stringBuffer.data();
    if (ReadStringOfType(root, path, name, keystore::kTypeExpandSz)) return stringBuffer.data();
    return fallback;
}

bool WriteRegString(RegRoot root, const char16_t* path, const char16_t* name,
                    const char16_t* text) {
    const auto units = std::u16string_view(text).size();
    return WriteRegValue(root, path, name, keystore::kTypeSz, text,
                         static_cast<std::uint32_t>(units * sizeof(char16_t)));
}

}  // namespace tickora
