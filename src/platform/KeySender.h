#pragma once
// Typing keys into the foreground window. Keys are given in the brace notation
// ("{TAB 3}", "+{TAB}", "{HOME}", "{+}" for a literal plus, and plain text).
#include "platform/WindowSystem.h"

#include <QString>

namespace kelpo {

enum class SendResult {
    Ok,
    InvalidNotation, // the key string could not be parsed; nothing was typed
    Untypeable,      // a character cannot be typed on this keyboard; nothing was typed
    ModifierHeld,    // the user kept holding Shift, Ctrl or Alt; nothing was typed
    Failed,          // the window system refused or vanished part-way
    FocusLost,       // the keyboard focus left the target; no key went anywhere else
};

class KeySender {
public:
    virtual ~KeySender() = default;

    // Types `keys` into `target`, which must hold the keyboard focus: the focus is checked
    // before every key, and the send stops the moment another window has it. Target 0
    // stands for the window that has the focus as the send begins. With `wait`, returns
    // only after the window system has delivered the keys and the target has read them.
    // Anything other than Ok before the first key means nothing was typed.
    virtual SendResult SendKeysTo(WindowId target, const QString& keys, bool wait) = 0;

    SendResult SendKeys(const QString& keys, bool wait) { return SendKeysTo(0, keys, wait); }
};

} // namespace kelpo
