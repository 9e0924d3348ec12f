// File-system questions the clock asks of the platform.
#pragma once

#include <string>

namespace tickora {

// The running executable's full path.
std::u16string ExecutablePath();

}  // namespace tickora
