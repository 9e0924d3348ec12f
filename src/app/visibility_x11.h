// Whether the clock's X11 window can be seen, as the desktop tells it: the
// window mapped (window managers unmap what is minimised or on another
// workspace), neither iconic (WM_STATE) nor hidden (_NET_WM_STATE_HIDDEN), and
// the screen saver off (the MIT-SCREEN-SAVER extension's notify events, which
// lockers and blankers drive). While it cannot be seen the clock draws nothing.
#pragma once

#include <gtk/gtk.h>

#include <memory>

namespace tickora {

class X11Visibility {
  public:
    using Callback = void (*)(gpointer data);

    // For a realized window on the X11 backend, not yet mapped; nullptr
    // anywhere else. Calls changed(data) whenever Seen() changes.
    static std::unique_ptr<X11Visibility> Create(GtkWidget* window, Callback changed,
                                                 gpointer data);
    ~X11Visibility();
    X11Visibility(const X11Visibility&) = delete;
    X11Visibility& operator=(const X11Visibility&) = delete;

    bool Seen() const;

    struct State;

  private:
    explicit X11Visibility(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace tickora
