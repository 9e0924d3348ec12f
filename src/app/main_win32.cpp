// Entry of the Windows clock. The window, the skin and the frame loop arrive with
// the rest of the application shell; for now the program only keeps its settings
// and autostart rule in shape.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
