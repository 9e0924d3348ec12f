// A clean key store for one test: on Linux a temporary $XDG_CONFIG_HOME, on
// Windows the real registry with the clock's keys and a scratch key removed
// before and after. Raw values are read and written through the key store port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tickora::testing {

inline constexpr const char16_t* kScratchKey = u"Software\\TickoraTests";
inline constexpr const char16_t* kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class ScratchStore {
  public:
    ScratchStore();
    ~ScratchStore();
    ScratchStore(const ScratchStore&) = delete;
    ScratchStore& operator=(const ScratchStore&) = delete;

    // Linux only: the temporary configuration folder ("" on Windows).
    const std::string& configHome() const { return configHome_; }

  private:
    std::string configHome_;
    std::string previousConfigHome_;
    bool hadConfigHome_ = false;
};

struct RawValue {
    std::uint32_t type = 0;
    std::vector<unsigned char> bytes;
};

std::optional<RawValue> ReadRaw(const char16_t* path, const char16_t* name);
void WriteRaw(const char16_t* path, const char16_t* name, std::uint32_t type,
              const std::vector<unsigned char>& bytes);
bool KeyExists(const char16_t* path);

// The bytes of text as the clock stores it: UTF-16 code units, no terminator.
std::vector<unsigned char> TextBytes(const std::u16string& text);

// Text bytes as the platform keeps them. Wine and Windows NT add the terminator
// themselves when the count leaves it out and a null follows in memory; that one
// trailing null is accepted there.
std::vector<unsigned char> WithoutAddedTerminator(std::vector<unsigned char> bytes);

}  // namespace tickora::testing
