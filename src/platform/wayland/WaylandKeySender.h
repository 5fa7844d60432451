#pragma once
// Typing on a Wayland compositor through a virtual keyboard of the program's own, with one
// fixed layout uploaded once (WaylandKeymap.h).
//
// Wayland gives a client no way to hold other clients off or to ask where the keyboard
// focus is, so keys are sent in batches that the compositor carries out as one piece:
// each batch first activates the target and then holds whole key strokes (press and
// release, modifiers set and cleared), so whatever window took the focus before the batch,
// the batch's keys reach the target. A window that took the activation meanwhile is seen
// in the compositor's answer to the batch: the send stops there, and the activation goes
// back to that window. Between two batches nothing is ever held down, so a send that stops,
// for whatever reason, the program being killed included, leaves no key pressed.
//
// The user's own modifier keys do not mix in: each keyboard of a seat has a state of its
// own, and the compositor switches to the virtual keyboard's for its keys.
#include "platform/KeySender.h"

#include <memory>

namespace kelpo::wayland {
class Connection;
}

namespace kelpo {

class WaylandKeySender : public KeySender {
public:
    // Null when the compositor offers no virtual keyboard, or does not list its windows
    // (without that list the keys could not be kept to the target).
    static std::unique_ptr<WaylandKeySender> Create(std::shared_ptr<wayland::Connection> connection);
    ~WaylandKeySender() override;

    SendResult SendKeysTo(WindowId target, const QString& keys, bool wait) override;

    // How long the compositor may take to answer a batch.
    static constexpr int AnswerWaitMs = 1000;
    // The largest batch, in bytes of requests (about 25 characters): it must go out in one
    // write (the connection's buffer is 4 KiB), and it is what a target that closes in the
    // instant before a batch would leave to the window the compositor activates next.
    static constexpr int BatchBytes = 1024;

private:
    struct Impl;
    explicit WaylandKeySender(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace kelpo
