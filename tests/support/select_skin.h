#pragma once

#include <algorithm>
#include <iterator>
#include <string>

#include "settings/settings.h"

namespace tickora::testing {

// Puts a skin name into the Skin setting, as the menu would.
inline void SelectSkin(const std::u16string& name) {
    std::fill(std::begin(clockSettings.Skin), std::end(clockSettings.Skin), u'\0');
    name.copy(clockSettings.Skin, std::min<std::size_t>(name.size(), kSkinNameUnits - 1));
}

}  // namespace tickora::testing
