#pragma once

#include <string>

namespace tickora {

// Where the XDG autostart entry lives (follows $XDG_CONFIG_HOME on every call).
std::string AutostartEntryPath();

}  // namespace tickora
