// Looks at X windows from the outside, as a desktop would: attributes, window
// manager hints, shapes, pixels, and input through XTest.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tickora::linux_e2e {

class XProbe {
  public:
    // On DISPLAY, or on the named display. Errors about windows that went away
    // meanwhile are ignored: the probe looks at windows it does not own.
    explicit XProbe(const char* displayName = nullptr);
    ~XProbe();
    XProbe(const XProbe&) = delete;
    XProbe& operator=(const XProbe&) = delete;

    Display* display() const { return display_; }
    // The top-level window titled "Tickora" of this process, viewable or as soon
    // as it exists (0 if none appears within thirty seconds).
    Window WaitForClock(pid_t pid, bool viewable = true);
    struct Geometry {
        int x, y, width, height, depth;
    };
    Geometry GeometryOf(Window window);
    // Waits until the window has this size; false after thirty seconds.
    bool WaitForSize(Window window, int width, int height);
    std::vector<std::string> WmState(Window window);
    // Rectangles of the window's input shape (empty: all input falls through).
    int InputRectangles(Window window);
    bool BoundingShaped(Window window);
    // The colour (0xRRGGBB) the screen shows at a point.
    unsigned long ScreenPixel(int x, int y);
    // The alpha of a 32-bit window's own pixel (what a compositor blends with).
    unsigned WindowAlpha(Window window, int x, int y);
    // The window's own pixels (premultiplied 0xAARRGGBB), row by row; empty
    // when they cannot be read.
    std::vector<std::uint32_t> WindowPixels(Window window, int width, int height);
    void FillRoot(unsigned long rgb);
    void ClickAt(int x, int y, unsigned button);
    // Whether a compositing manager has taken the screen.
    bool CompositorRunning();
    // Whether a menu (an override-redirect window GTK marks as a popup menu)
    // is shown.
    bool PopupShown();
    // The shown menus' pixels (empty when none is shown).
    std::vector<std::uint32_t> PopupPicture();
    // Presses each key once the menu has shown what the one before did (a
    // highlight moved, a submenu opened, the menu closed); false when a key
    // changed nothing within thirty seconds.
    bool PressKeys(const std::vector<const char*>& keys);
    // As another client (a window manager's kill, a crashing compositor) would.
    void DestroyWindow(Window window);

  private:
    Window FindClock(Window parent, pid_t pid, bool viewable, int depth);
    Display* display_;
};

// Limits are generous: a loaded machine may take long, and a condition that
// holds ends the wait at once.
// The first number of a window's property of this type (AnyPropertyType for
// any); -1 when it has none.
long CardinalProperty(Display* display, Window window, const char* name, Atom type);

bool WaitFor(const std::function<bool()>& check, int milliseconds = 30000,
             int pollMilliseconds = 25);

}  // namespace tickora::linux_e2e
