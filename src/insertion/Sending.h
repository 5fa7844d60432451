#pragma once
// Typing clips and key commands into the target window (normally the browser). Plain
// functions over the program state and the platform interfaces, so the rules test
// without a display; the insertion window supplies the few window actions they need.
#include "core/ClipCommands.h"
#include "platform/WindowSystem.h"

#include <QString>
#include <Qt>

namespace kelpo {

struct Program;

// How long a send waits for the target to come to the foreground before typing nothing.
inline constexpr int ForegroundTimeoutMs = 250;

// What the senders need from the insertion window.
class InsertionActions {
public:
    virtual ~InsertionActions() = default;
    // Key handling of the insertion window: off while keys are being sent.
    virtual void SetKeyHandling(bool on) = 0;
    // "Minimize Kelpo ": hide the insertion window and minimise the main window.
    virtual void MinimizeProgram() = 0;
    // "Minimize This": minimise the insertion window only.
    virtual void MinimizeThis() = 0;
    // Processes pending window events before going on.
    virtual void ProcessEvents() = 0;
};

// The target guard: false when there is no target, it is the desktop, or it has gone.
bool TargetGuardPasses(Program& program);

// True when this desktop lets the program type into other programs; else false, and the
// user is told why, once per run.
bool CanType(Program& program);

// Makes sure `target` is the foreground window, bringing it forward with a bounded wait.
// True only when it is the foreground window on return.
bool EnsureForeground(Program& program, WindowId target);

// Sends a fixed key string (the navigation buttons) to the target: guarded, nothing typed
// when the target does not come forward, not retried. True when the keys were sent.
bool SendToTarget(Program& program, InsertionActions& actions, const QString& keys);

// Sends one item with wait once `target` is the foreground window (brought forward when
// needed); nothing is typed when it does not come. True when the keys were sent.
bool SendGuarded(Program& program, WindowId target, const QString& keys);

// The key string that types the text clip `clip` literally.
QString TextKeys(const QString& clip);

// Switches the insertion window's key handling off for its lifetime.
class KeyHandlingOff {
public:
    explicit KeyHandlingOff(InsertionActions& actions) : actions_(actions) {
        actions_.SetKeyHandling(false);
    }
    ~KeyHandlingOff() { actions_.SetKeyHandling(true); }
    KeyHandlingOff(const KeyHandlingOff&) = delete;
    KeyHandlingOff& operator=(const KeyHandlingOff&) = delete;

private:
    InsertionActions& actions_;
};

// A release of mouse button `button` over clip row `row`: the left button overwrites the
// focused field and moves on with Tab, any other button appends; key commands are sent as
// keys. A failed text sequence is sent once more from its start; a second failure gives
// up. True when something was typed (or the clip's action performed). Where nothing can be
// typed, a text clip is copied to the clipboard instead (and true returned).
bool ClipClick(Program& program, InsertionActions& actions, int row, Qt::MouseButton button);

} // namespace kelpo
