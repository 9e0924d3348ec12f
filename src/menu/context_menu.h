#pragma once

namespace tickora {

// Shows the context menu at the mouse pointer and carries out the chosen command.
void ShowContextMenu(void* window);

}  // namespace tickora
