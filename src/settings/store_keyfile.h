// Where the Linux key store keeps its file (follows $XDG_CONFIG_HOME on every call).
#pragma once

#include <string>
#include <string_view>

namespace tickora::keystore {

// $XDG_CONFIG_HOME, or ~/.config where it is unset or not absolute.
std::string ConfigHome();
std::string StoreFilePath();

// What the store makes of a settings file's bytes, decided in memory as it does
// when it loads the file. Unreadable bytes are moved aside before the next save.
struct StoreBytes {
    bool readable = false;
    std::string values;  // every value read, one "entry=encoded" line each, by group
    std::string saved;   // what the next save writes when nothing changes
};
StoreBytes ExamineStoreBytes(std::string_view bytes);

}  // namespace tickora::keystore
