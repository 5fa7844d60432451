// Types a key string with the program's key sender, for the end-to-end tests: the X11 one
// on an X display, the Wayland one under a Wayland compositor (WAYLAND_DISPLAY set and no
// DISPLAY).
//
//   sendkeys KEYS
//
// Prints "sending" before the send and its result ("Ok", ...) after it. Under Wayland the
// target is the window activated before "sending" is printed, so a window activated after
// it is a thief, not the target.
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandKeySender.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "platform/x11/X11KeySender.h"

#include <QString>

#include <cstdio>
#include <iterator>

using kelpo::SendResult;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sendkeys KEYS\n");
        return 2;
    }
    std::unique_ptr<kelpo::KeySender> sender;
    std::unique_ptr<kelpo::WindowSystem> windows;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        auto connection = kelpo::wayland::Connection::Open({});
        sender = kelpo::WaylandKeySender::Create(connection);
        windows = kelpo::WaylandWindowSystem::Create(connection);
    } else {
        sender = kelpo::X11KeySender::Create();
    }
    if (!sender) {
        std::fprintf(stderr, "sendkeys: no X display with XTest and XKB, nor a Wayland "
                             "compositor with a virtual keyboard and a window list\n");
        return 1;
    }
    const kelpo::WindowId target = windows ? windows->ForegroundWindow() : 0;
    std::printf("sending\n");
    std::fflush(stdout);
    // In the order of SendResult.
    static_assert(static_cast<int>(SendResult::FocusLost) == 5);
    static const char* const names[] = {"Ok", "InvalidNotation", "Untypeable", "ModifierHeld",
                                        "Failed", "FocusLost"};
    const SendResult result = sender->SendKeysTo(target, QString::fromUtf8(argv[1]), true);
    const auto index = static_cast<std::size_t>(result);
    std::printf("%s\n", index < std::size(names) ? names[index] : "?");
    return 0;
}
