#include "app/visibility_x11.h"

#include <vector>

// Last: Xlib's macros (None, Status, Bool...) would clash with names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <gdk/gdkx.h>

#include "app/x11_property.h"

namespace tickora {

struct X11Visibility::State {
    GdkDisplay* gdkDisplay = nullptr;
    Display* display = nullptr;
    Window window = 0;
    Window root = 0;
    Atom wmState = 0;
    Atom netWmState = 0;
    Atom netHidden = 0;
    int saverEvents = -1;  // the extension's first event number; -1 without it
    Callback changed = nullptr;
    gpointer data = nullptr;

    bool mapped = false;
    bool iconic = false;
    bool hidden = false;
    bool saverOn = false;

    bool Seen() const { return mapped && !iconic && !hidden && !saverOn; }
    void ReadWmState();
    void ReadNetWmState();
};

namespace {

GdkFilterReturn OnEvent(GdkXEvent* native, GdkEvent*, gpointer data) {
    auto* state = static_cast<X11Visibility::State*>(data);
    const auto* event = static_cast<const XEvent*>(native);
    const bool seen = state->Seen();
    if (event->xany.window == state->window) {
        // Its own structure events (those of its parent's substructure name
        // the parent).
        if (event->type == MapNotify) {
            state->mapped = true;
        } else if (event->type == UnmapNotify) {
            state->mapped = false;
        } else if (event->type == PropertyNotify && event->xproperty.atom == state->wmState) {
            state->ReadWmState();
        } else if (event->type == PropertyNotify && event->xproperty.atom == state->netWmState) {
            state->ReadNetWmState();
        }
    } else if (state->saverEvents >= 0 && event->type == state->saverEvents + ScreenSaverNotify) {
        const int saver = reinterpret_cast<const XScreenSaverNotifyEvent*>(event)->state;
        state->saverOn = saver == ScreenSaverOn || saver == ScreenSaverCycle;
    }
    if (state->Seen() != seen) state->changed(state->data);
    return GDK_FILTER_CONTINUE;
}

}  // namespace

void X11Visibility::State::ReadWmState() {
    const std::vector<long> items = WindowPropertyItems(gdkDisplay, window, wmState, wmState);
    iconic = !items.empty() && items[0] == IconicState;
}

void X11Visibility::State::ReadNetWmState() {
    hidden = false;
    for (long atom : WindowPropertyItems(gdkDisplay, window, netWmState, XA_ATOM)) {
        if (static_cast<Atom>(atom) == netHidden) hidden = true;
    }
}

std::unique_ptr<X11Visibility> X11Visibility::Create(GtkWidget* widget, Callback changed,
                                                     gpointer data) {
    GdkDisplay* gdkDisplay = gtk_widget_get_display(widget);
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    if (!GDK_IS_X11_DISPLAY(gdkDisplay) || gdkWindow == nullptr) return nullptr;
    auto state = std::make_unique<State>();
    state->gdkDisplay = gdkDisplay;
    state->display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    state->window = GDK_WINDOW_XID(gdkWindow);
    state->root = DefaultRootWindow(state->display);
    state->wmState = XInternAtom(state->display, "WM_STATE", False);
    state->netWmState = XInternAtom(state->display, "_NET_WM_STATE", False);
    state->netHidden = XInternAtom(state->display, "_NET_WM_STATE_HIDDEN", False);
    state->changed = changed;
    state->data = data;
    // GDK selects the window's structure and property events itself.
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(state->display, state->window, &attributes) != 0) {
        state->mapped = attributes.map_state != IsUnmapped;
    }
    state->ReadWmState();
    state->ReadNetWmState();
    int errors = 0;
    if (XScreenSaverQueryExtension(state->display, &state->saverEvents, &errors) != False) {
        XScreenSaverSelectInput(state->display, state->root, ScreenSaverNotifyMask);
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (info != nullptr && XScreenSaverQueryInfo(state->display, state->root, info) != 0) {
            state->saverOn = info->state == ScreenSaverOn;
        }
        if (info != nullptr) XFree(info);
    } else {
        state->saverEvents = -1;
    }
    gdk_window_add_filter(nullptr, &OnEvent, state.get());
    return std::unique_ptr<X11Visibility>(new X11Visibility(std::move(state)));
}

X11Visibility::X11Visibility(std::unique_ptr<State> state) : state_(std::move(state)) {}

X11Visibility::~X11Visibility() {
    gdk_window_remove_filter(nullptr, &OnEvent, state_.get());
    if (state_->saverEvents >= 0) XScreenSaverSelectInput(state_->display, state_->root, 0);
}

bool X11Visibility::Seen() const {
    return state_->Seen();
}

}  // namespace tickora
