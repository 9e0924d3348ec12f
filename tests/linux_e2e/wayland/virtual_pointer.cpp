// A mouse for a headless compositor, which has none: a virtual pointer driven
// by lines on stdin ("move X Y", "press B", "release B", B a Linux button
// code; "later MS": the next event stamped that much later). Each line is
// answered with "ok" once the compositor has taken it.
#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "virtual-pointer-client.h"

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        globals->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}
void OnGlobalRemoved(void*, wl_registry*, std::uint32_t) {}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: virtual_pointer WIDTH HEIGHT (the output's size)\n");
        return 2;
    }
    const auto width = static_cast<std::uint32_t>(std::stoul(argv[1]));
    const auto height = static_cast<std::uint32_t>(std::stoul(argv[2]));
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return 1;
    Globals globals;
    static const wl_registry_listener listener{&OnGlobal, &OnGlobalRemoved};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
    wl_display_roundtrip(display);
    if (globals.manager == nullptr) return 1;
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;
    // Milliseconds as a device stamps its events: menus tell a click from a
    // press-drag-release by them.
    const auto start = std::chrono::steady_clock::now();
    std::uint32_t time = 0;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string verb;
        std::uint32_t a = 0, b = 0;
        words >> verb >> a >> b;
        time = std::max(time + 1, static_cast<std::uint32_t>(
                                      std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - start)
                                          .count()));
        if (verb == "later") {
            // As if the user waited that long first (without waiting).
            time += a;
        } else if (verb == "move") {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, a, b, width, height);
        } else if (verb == "press" || verb == "release") {
            zwlr_virtual_pointer_v1_button(pointer, time, a, verb == "press" ? 1 : 0);
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0) return 1;
        std::cout << "ok" << std::endl;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_disconnect(display);
    return 0;
}
