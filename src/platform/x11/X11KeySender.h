#pragma once
// Typing on X11 with XTest, on a connection of our own. Characters the layout lacks are
// put on spare keycodes for the length of one string and taken off again afterwards.
#include "platform/KeySender.h"

#include <memory>

namespace kelpo {

class X11KeySender : public KeySender {
public:
    // Null when no X display can be opened or it lacks XTest or XKB.
    static std::unique_ptr<X11KeySender> Create();
    ~X11KeySender() override;

    SendResult SendKeysTo(WindowId target, const QString& keys, bool wait) override;

    // How long a Shift, Ctrl or Alt the user still holds may take to come up before the
    // send is given up.
    static constexpr int ModifierReleaseWaitMs = 500;
    // How long the target may take to answer that it has read the keys, and to read a
    // changed keymap (which every X client reads again in full).
    static constexpr int TargetReplyWaitMs = 1000;
    static constexpr int KeymapReplyWaitMs = 3000;

private:
    struct Impl;
    explicit X11KeySender(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace kelpo
