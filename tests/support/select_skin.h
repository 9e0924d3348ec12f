#pragma once

#include <string>

#include "settings/settings.h"

namespace tickora::testing {

// Puts a skin name into the Skin setting, as the menu would.
inline void SelectSkin(const std::u16string& name) {
    SetSkinName(name);
}

}  // namespace tickora::testing
