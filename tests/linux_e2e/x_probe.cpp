#include "linux_e2e/x_probe.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace tickora::linux_e2e {

bool WaitFor(const std::function<bool()>& check, int milliseconds, int pollMilliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        if (check()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMilliseconds));
    }
    return check();
}

XProbe::XProbe(const char* displayName) : display_(XOpenDisplay(displayName)) {
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

XProbe::~XProbe() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

long CardinalProperty(Display* display, Window window, const char* name, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1, False, type,
                           &actual, &format, &count, &after, &data) == Success &&
        data != nullptr && count == 1) {
        value = *reinterpret_cast<long*>(data);
    }
    if (data != nullptr) XFree(data);
    return value;
}

// The clock's window among `parent`'s children, or one level further down:
// a reparenting window manager puts each top-level window into a frame.
Window XProbe::FindClock(Window parent, pid_t pid, bool viewable, int depth) {
    Window root = 0, grandparent = 0, *children = nullptr, found = 0;
    unsigned int count = 0;
    XQueryTree(display_, parent, &root, &grandparent, &children, &count);
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes{};
        char* name = nullptr;
        if (XGetWindowAttributes(display_, children[i], &attributes) &&
            (attributes.map_state == IsViewable || !viewable) &&
            attributes.c_class == InputOutput && XFetchName(display_, children[i], &name) &&
            name != nullptr && std::strcmp(name, "Tickora") == 0 &&
            CardinalProperty(display_, children[i], "_NET_WM_PID", XA_CARDINAL) == pid) {
            found = children[i];
        }
        if (name != nullptr) XFree(name);
        if (found == 0 && depth > 0) found = FindClock(children[i], pid, viewable, depth - 1);
    }
    if (children != nullptr) XFree(children);
    return found;
}

Window XProbe::WaitForClock(pid_t pid, bool viewable) {
    Window found = 0;
    WaitFor([&] { return (found = FindClock(DefaultRootWindow(display_), pid, viewable, 1)) != 0; },
            30000, viewable ? 25 : 1);
    return found;
}

XProbe::Geometry XProbe::GeometryOf(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, window, &attributes);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height, attributes.depth};
}

bool XProbe::WaitForSize(Window window, int width, int height) {
    return WaitFor([&] {
        const Geometry geometry = GeometryOf(window);
        return geometry.width == width && geometry.height == height;
    });
}

std::vector<std::string> XProbe::WmState(Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<std::string> states;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_STATE", False), 0, 64,
                           False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        auto* atoms = reinterpret_cast<Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* name = XGetAtomName(display_, atoms[i]);
            states.emplace_back(name);
            XFree(name);
        }
    }
    if (data != nullptr) XFree(data);
    return states;
}

int XProbe::InputRectangles(Window window) {
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(display_, window, ShapeInput, &count, &ordering);
    if (rectangles != nullptr) XFree(rectangles);
    return count;
}

bool XProbe::BoundingShaped(Window window) {
    Bool bounding = False, clip = False;
    int bx, by, cx, cy;
    unsigned int bw, bh, cw, ch;
    XShapeQueryExtents(display_, window, &bounding, &bx, &by, &bw, &bh, &clip, &cx, &cy, &cw, &ch);
    return bounding != False;
}

unsigned long XProbe::ScreenPixel(int x, int y) {
    XImage* image =
        XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return ~0ul;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

unsigned XProbe::WindowAlpha(Window window, int x, int y) {
    XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 999;
    const unsigned alpha = static_cast<unsigned>(XGetPixel(image, 0, 0) >> 24) & 0xFF;
    XDestroyImage(image);
    return alpha;
}

std::vector<std::uint32_t> XProbe::WindowPixels(Window window, int width, int height) {
    XImage* image = XGetImage(display_, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) return {};
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)));
        }
    }
    XDestroyImage(image);
    return pixels;
}

void XProbe::FillRoot(unsigned long rgb) {
    Window root = DefaultRootWindow(display_);
    XSetWindowBackground(display_, root, rgb);
    XClearWindow(display_, root);
    XSync(display_, False);
}

void XProbe::ClickAt(int x, int y, unsigned button) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    // The release comes 30 ms later by the server's clock: a menu that the press
    // opened takes it for the end of that click, however late it reads both.
    XTestFakeButtonEvent(display_, button, False, 30);
    XSync(display_, False);
}

bool XProbe::CompositorRunning() {
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display_));
    return XGetSelectionOwner(display_, XInternAtom(display_, name.c_str(), False)) != None;
}

// GTK marks its menus so; window managers keep override-redirect windows of
// their own too (xfwm4 on the screen's edges), which are no menu.
static bool IsMenu(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    bool menu = false;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), 0,
                           8, False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* types = reinterpret_cast<const Atom*>(data);
        const Atom popupMenu = XInternAtom(display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
        menu = std::find(types, types + count, popupMenu) != types + count;
    }
    if (data != nullptr) XFree(data);
    return menu;
}

std::vector<std::uint32_t> XProbe::PopupPicture() {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<std::uint32_t> picture;
    XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, children[i], &attributes) &&
            attributes.map_state == IsViewable && attributes.override_redirect &&
            IsMenu(display_, children[i])) {
            const auto pixels = WindowPixels(children[i], attributes.width, attributes.height);
            picture.push_back(static_cast<std::uint32_t>(children[i]));
            picture.insert(picture.end(), pixels.begin(), pixels.end());
        }
    }
    if (children != nullptr) XFree(children);
    return picture;
}

bool XProbe::PopupShown() {
    return !PopupPicture().empty();
}

bool XProbe::PressKeys(const std::vector<const char*>& keys) {
    for (const char* key : keys) {
        const auto before = PopupPicture();
        const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(key));
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        XSync(display_, False);
        if (!WaitFor([&] { return PopupPicture() != before; })) return false;
    }
    return true;
}

void XProbe::DestroyWindow(Window window) {
    XDestroyWindow(display_, window);
    XSync(display_, False);
}

}  // namespace tickora::linux_e2e
