// Gives a headless compositor's seat a pointer and a keyboard, as a desktop with a mouse
// and a keyboard has, until it is ended:
//
//   wlseat
//
// Without them a client has no pointer or keyboard to ask for: a device that comes and
// goes with one click or one typed string would reach no window, and some clients (web
// browsers) do not take the focus without a keyboard. The keyboard holds the default
// (US) keymap and presses nothing. run-in-sway.sh starts it for the whole run.
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "virtual-pointer-client-protocol.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboards = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* g = static_cast<Globals*>(data);
    auto bind = [&](const wl_interface& wanted, auto*& into) {
        if (!into && std::strcmp(interface, wanted.name) == 0)
            into = static_cast<std::remove_reference_t<decltype(into)>>(
                wl_registry_bind(registry, name, &wanted, 1));
    };
    bind(wl_seat_interface, g->seat);
    bind(zwlr_virtual_pointer_manager_v1_interface, g->pointers);
    bind(zwp_virtual_keyboard_manager_v1_interface, g->keyboards);
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener = {global, globalRemove};

// The default keymap as text in a memory file, as the protocol hands it over.
// Returns the file and its size (the text with its terminating zero), or -1.
int keymapFile(uint32_t& size) {
    std::unique_ptr<xkb_context, void (*)(xkb_context*)> context(
        xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref);
    if (!context)
        return -1;
    std::unique_ptr<xkb_keymap, void (*)(xkb_keymap*)> keymap(
        xkb_keymap_new_from_names(context.get(), nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS),
        xkb_keymap_unref);
    if (!keymap)
        return -1;
    std::unique_ptr<char, void (*)(void*)> text(
        xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1), std::free);
    if (!text)
        return -1;
    size = static_cast<uint32_t>(std::strlen(text.get()) + 1);
    const int fd = memfd_create("wlseat-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    for (uint32_t written = 0; written < size;) {
        const ssize_t n = write(fd, text.get() + written, size - written);
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += static_cast<uint32_t>(n);
    }
    return fd;
}

} // namespace

int main(int argc, char**) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: wlseat\n");
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wlseat: no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.seat || !globals.pointers || !globals.keyboards) {
        std::fprintf(stderr, "wlseat: the compositor offers no%s%s%s\n",
                     globals.seat ? "" : " seat", globals.pointers ? "" : " virtual pointer",
                     globals.keyboards ? "" : " virtual keyboard");
        return 1;
    }
    uint32_t size = 0;
    const int keymap = keymapFile(size);
    if (keymap < 0) {
        std::fprintf(stderr, "wlseat: no keymap could be made\n");
        return 1;
    }
    zwp_virtual_keyboard_v1* keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals.keyboards, globals.seat);
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, keymap, size);
    close(keymap);
    zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, globals.seat);
    // Holds both until ended (the devices go with the connection) or the compositor ends.
    while (wl_display_dispatch(display) != -1) {
    }
    std::fprintf(stderr, "wlseat: the compositor went away\n");
    return 1;
}
