// Where the Linux key store keeps its file (follows $XDG_CONFIG_HOME on every call).
#pragma once

#include <string>

namespace tickora::keystore {

// $XDG_CONFIG_HOME, or ~/.config where it is unset or not absolute.
std::string ConfigHome();
std::string StoreFilePath();

}  // namespace tickora::keystore
