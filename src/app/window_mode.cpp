#include "app/window_mode.h"

namespace tickora {

bool ClickThroughWanted(bool transparent, bool losingFocus,
                        const std::function<bool()>& holdsFocus) {
    if (!transparent) return false;
    // The focus-loss notice comes while the window still holds the focus.
    if (losingFocus) return true;
    return !holdsFocus();
}

}  // namespace tickora
