// Reading a window property of 32-bit items on X11, as window managers keep
// their hints (WM_STATE, _NET_WM_STATE, _NET_SHOWING_DESKTOP).
#pragma once

#include <vector>

// Last in any file that includes this: Xlib's macros (None, Status...) would
// clash with names after them.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace tickora {

// The property's 32-bit items (at most 64); empty when it is missing, of
// another type, or the window is gone.
inline std::vector<long> WindowPropertyItems(GdkDisplay* gdkDisplay, Window window, Atom property,
                                             Atom type) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    gdk_x11_display_error_trap_push(gdkDisplay);
    const int status = XGetWindowProperty(display, window, property, 0, 64, False, type,
                                          &actualType, &format, &count, &after, &data);
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
    std::vector<long> items;
    if (status == Success && data != nullptr && format == 32) {
        const auto* values = reinterpret_cast<const long*>(data);
        items.assign(values, values + count);
    }
    if (data != nullptr) XFree(data);
    return items;
}

}  // namespace tickora
