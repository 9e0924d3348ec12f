#include "support/scratch_store.h"

#include <cstring>

#include "settings/key_store.h"

namespace tickora::testing {

std::optional<RawValue> ReadRaw(const char16_t* path, const char16_t* name) {
    keystore::Key key = nullptr;
    if (keystore::OpenKey(keystore::kCurrentUser, path, keystore::kRead, &key) !=
        keystore::kSuccess) {
        return std::nullopt;
    }
    RawValue value;
    value.bytes.resize(1 << 16);
    auto size = static_cast<std::uint32_t>(value.bytes.size());
    const long status = keystore::QueryValue(key, name, &value.type, value.bytes.data(), &size);
    keystore::CloseKey(key);
    if (status != keystore::kSuccess) return std::nullopt;
    value.bytes.resize(size);
    return value;
}

void WriteRaw(const char16_t* path, const char16_t* name, std::uint32_t type,
              const std::vector<unsigned char>& bytes) {
    keystore::Key key = nullptr;
    if (keystore::CreateKey(keystore::kCurrentUser, path, &key) != keystore::kSuccess) return;
    keystore::SetValue(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    keystore::CloseKey(key);
}

bool KeyExists(const char16_t* path) {
    keystore::Key key = nullptr;
    if (keystore::OpenKey(keystore::kCurrentUser, path, keystore::kRead, &key) !=
        keystore::kSuccess) {
        return false;
    }
    keystore::CloseKey(key);
    return true;
}

std::vector<unsigned char> TextBytes(const std::u16string& text) {
    std::vector<unsigned char> bytes(text.size() * 2);
    if (!bytes.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

std::vector<unsigned char> WithoutAddedTerminator(std::vector<unsigned char> bytes) {
#ifdef _WIN32
    if (bytes.size() >= 2 && bytes[bytes.size() - 1] == 0 && bytes[bytes.size() - 2] == 0) {
        bytes.resize(bytes.size() - 2);
    }
#endif
    return bytes;
}

}  // namespace tickora::testing
