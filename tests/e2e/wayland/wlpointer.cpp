// A real pointer for the Wayland end-to-end tests, through the compositor's virtual pointer:
//
//   wlpointer move X Y            puts the pointer at (X, Y) of the output layout
//   wlpointer click X Y [BUTTON]  the same, then presses and releases BUTTON
//                                 (1 left, the default; 2 middle; 3 right)
//
// A headless compositor's seat has no pointer of its own, and a client asks for one only
// when the seat gains it: events of a pointer that came and went with one click would reach
// no window. So it refuses to work on a seat without a pointer (wlseat gives it one).
//
// It returns once the compositor has taken every event. Coordinates are whole
// logical pixels of the layout, as the compositor's tree reports window places.
#include "virtual-pointer-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace {

// Linux input button codes.
constexpr uint32_t kLeft = 0x110, kRight = 0x111, kMiddle = 0x112;

struct Output {
    wl_output* output = nullptr;
    int x = 0, y = 0, width = 0, height = 0, scale = 1;
};

struct Globals {
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    wl_seat* seat = nullptr;
    uint32_t capabilities = 0;
    std::vector<Output*> outputs;
};

void geometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
              const char*, int32_t) {
    auto* o = static_cast<Output*>(data);
    o->x = x;
    o->y = y;
}

void mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
    auto* o = static_cast<Output*>(data);
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        o->width = width;
        o->height = height;
    }
}

void done(void*, wl_output*) {}

void scale(void* data, wl_output*, int32_t factor) {
    static_cast<Output*>(data)->scale = std::max(factor, 1);
}

void text(void*, wl_output*, const char*) {}

const wl_output_listener outputListener = {geometry, mode, done, scale, text, text};

void capabilities(void* data, wl_seat*, uint32_t caps) {
    static_cast<Globals*>(data)->capabilities = caps;
}

void seatName(void*, wl_seat*, const char*) {}

const wl_seat_listener seatListener = {capabilities, seatName};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        g->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto* o = new Output;
        o->output =
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
        wl_output_add_listener(o->output, &outputListener, o);
        g->outputs.push_back(o);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat) {
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 2));
        wl_seat_add_listener(g->seat, &seatListener, g);
    }
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener = {global, globalRemove};

uint32_t nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

std::optional<int> number(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

int usage() {
    std::fprintf(stderr, "usage: wlpointer move X Y\n       wlpointer click X Y [1|2|3]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const bool click = command == "click" && (argc == 4 || argc == 5);
    if (!click && !(command == "move" && argc == 4))
        return usage();
    const std::optional<int> x = number(argv[2]), y = number(argv[3]);
    const std::optional<int> buttonNumber = argc == 5 ? number(argv[4]) : 1;
    if (!x || !y || !buttonNumber || *buttonNumber < 1 || *buttonNumber > 3)
        return usage();
    const uint32_t button = *buttonNumber == 1 ? kLeft : *buttonNumber == 2 ? kMiddle : kRight;

    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wlpointer: no Wayland display (WAYLAND_DISPLAY=%s)\n",
                     std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "");
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    // The first round trip brings the globals, the second the outputs' places and modes.
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    if (!globals.manager) {
        std::fprintf(stderr, "wlpointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    if (!(globals.capabilities & WL_SEAT_CAPABILITY_POINTER)) {
        std::fprintf(stderr, "wlpointer: the seat has no pointer, so no window would see this"
                             " one; run wlseat first\n");
        return 1;
    }
    // The layout's box in logical pixels: what absolute moves are scaled onto.
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const Output* o : globals.outputs) {
        if (o->width <= 0 || o->height <= 0)
            continue;
        left = std::min(left, o->x);
        top = std::min(top, o->y);
        right = std::max(right, o->x + o->width / o->scale);
        bottom = std::max(bottom, o->y + o->height / o->scale);
    }
    if (left >= right || top >= bottom) {
        std::fprintf(stderr, "wlpointer: the compositor has no output\n");
        return 1;
    }
    if (*x < left || *x >= right || *y < top || *y >= bottom) {
        std::fprintf(stderr, "wlpointer: (%d, %d) is outside the layout (%d, %d)-(%d, %d)\n", *x,
                     *y, left, top, right - 1, bottom - 1);
        return 1;
    }

    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, nullptr);
    zwlr_virtual_pointer_v1_motion_absolute(
        pointer, nowMs(), static_cast<uint32_t>(*x - left), static_cast<uint32_t>(*y - top),
        static_cast<uint32_t>(right - left), static_cast<uint32_t>(bottom - top));
    zwlr_virtual_pointer_v1_frame(pointer);
    if (click) {
        // A round trip after each step: the compositor has handled the move before the press
        // comes, and the press before the release, as with a hand on a mouse.
        wl_display_roundtrip(display);
        zwlr_virtual_pointer_v1_button(pointer, nowMs(), button, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        zwlr_virtual_pointer_v1_button(pointer, nowMs(), button, WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
    }
    const bool ok = wl_display_roundtrip(display) >= 0;
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
    for (Output* o : globals.outputs) {
        wl_output_destroy(o->output);
        delete o;
    }
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    const int error = wl_display_get_error(display);
    wl_display_disconnect(display);
    if (!ok || error) {
        std::fprintf(stderr, "wlpointer: the compositor broke the connection (%s)\n",
                     std::strerror(error));
        return 1;
    }
    return 0;
}
