// Frames on an X11 desktop without GTK's paint cycle: each frame's damaged
// rectangle goes straight onto the clock's own window from an image the clock
// keeps (in a shared-memory segment when the server offers MIT-SHM, else sent
// in the request). The window's visual decides the pixels: premultiplied ARGB
// on a 32-bit visual (what a compositing manager blends), the same bytes with
// the alpha ignored on a 24-bit one (cut to shape by the window).
//
// GTK keeps the window (placement, input shape, menu, drag, modes) and paints
// nothing: every area of the window that GTK or the server invalidates (an
// expose, a new size, a map) is shown again from the image instead.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "render/frame.h"

namespace tickora {

class X11Presenter {
  public:
    // For a realized window on the X11 backend whose visual holds 8-bit red,
    // green and blue in 32-bit pixels; nullptr anywhere else, where GTK
    // presents the frames itself.
    static std::unique_ptr<X11Presenter> Create(GtkWidget* window);
    ~X11Presenter();
    X11Presenter(const X11Presenter&) = delete;
    X11Presenter& operator=(const X11Presenter&) = delete;

    // Shows what the frame changed (the whole frame when its surface, size,
    // opacity or scale changed). The frame's surface is held until a newer
    // frame replaces it.
    void Present(const Frame& frame);

    struct State;

  private:
    explicit X11Presenter(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace tickora
