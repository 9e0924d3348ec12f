// Frames on a Wayland desktop in buffers the clock owns: a subsurface over the
// clock window's own surface, fed from a small shared-memory pool whose buffers
// are reused once the compositor releases them. Each frame copies into the
// buffer only what that buffer lacks and damages only what changed; a frame
// callback keeps the clock from queueing frames the compositor has not shown.
//
// GTK keeps its own surface (placement, input region, menu, drag) and paints it
// transparent; the subsurface takes no input, so the pointer reaches GTK's.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "render/frame.h"

namespace tickora {

class WaylandPresenter {
  public:
    // For a window on the Wayland backend whose surface exists (mapped);
    // nullptr anywhere else, where GTK presents the frames itself.
    static std::unique_ptr<WaylandPresenter> Create(GtkWidget* window);
    ~WaylandPresenter();
    WaylandPresenter(const WaylandPresenter&) = delete;
    WaylandPresenter& operator=(const WaylandPresenter&) = delete;

    // Shows the frame: at once, or when the compositor has shown the last one
    // (the latest pixels then, with every damage since). The frame's surface is
    // held until a newer frame replaces it.
    void Present(const Frame& frame);

    // Whether the compositor has shown the last frame given to it (its frame
    // callback came back), after taking the events the loop has read. A
    // compositor holds the callback while the surface cannot be seen (under a
    // fullscreen window, an output powered off, a locked session): then
    // shown(data) is called once it comes back.
    using Callback = void (*)(void* data);
    bool LastFrameShown(Callback shown, void* data);

    // Quiet: the compositor's events alone do not wake the clock while its
    // next wake-up is near (within a tick); they are read when it wakes. Frame
    // callbacks and buffer releases then come with the next tick instead of
    // waking the clock once more each. Input would wait as long: the caller
    // turns it off while the pointer is over the clock or a menu is open.
    void SetQuiet(bool quiet);

    // Shows the frames x, y (logical pixels) from the window's own surface: at
    // once, or with the window's next commit. The window can stay where it is
    // while the clock is dragged, so pointer positions keep their meaning.
    void Shift(int x, int y, bool atOnce);

    struct State;

  private:
    explicit WaylandPresenter(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace tickora
