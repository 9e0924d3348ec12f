// The clock window's modes: click-through from the Transparent setting and the
// focus, the topmost band from TopMost, and no taskbar button.
#pragma once

#include <functional>

namespace tickora {

// Whether mouse input should fall through the window. While pass-through is on
// the window still takes the mouse as long as it holds the keyboard focus, so
// that its menu can be reached again. holdsFocus is asked only when it matters.
bool ClickThroughWanted(bool transparent, bool losingFocus,
                        const std::function<bool()>& holdsFocus);

// Platform operations on the clock window.
void ApplyWindowMode(void* window, bool losingFocus);
void HideFromTaskbar(void* window);

}  // namespace tickora
