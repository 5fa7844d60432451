#pragma once
// Leaving the keyboard as it was found when the program dies in the middle of a send.
//
// A crash (SEGV, ABRT, BUS, FPE, ILL) is met in its signal handler. Xlib cannot be used
// there: the sending connection may be half-way through a request and Xlib takes locks
// and allocates. So the requests that undo a send are built ahead, with Xlib, on a second
// connection opened for nothing else: a key release for every keycode, built once, and
// the keymap restore, built whenever keys are lent. The handler shuts the sending
// connection (which ends a server hold of ours), writes the pre-built requests for the
// keys still down and the lent keys to the second connection's socket, waits for one
// reply so they are known to be done, and lets the signal take its course. write, poll,
// read and shutdown are all it calls.
//
// SIGKILL cannot be met at all. Before keys are lent, what is lent is recorded in a
// journal in the user's runtime folder (mode 0600), and the journal lives for as long as
// a send is under way; the next start on the same display puts lent keys back and
// releases keys left down when it finds the journal of a process that has gone.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace kelpo::x11 {

class KeyRescue {
public:
    // Opens the second connection and builds the key releases; false without it (the
    // crash clean-up then does what it can without). Call once, before any send.
    static bool Arm(Display* sending);

    // Puts back what a program that was killed mid-send left behind on this display.
    static void RecoverAfterKill(Display* dpy);

    // Kept up to date by the sender: a key it holds down.
    static void KeyDown(KeyCode code, bool down);

    // Before `changes` lends keys: the request that puts `original` back is built, and the
    // lent keys are recorded in the journal with the keysyms they are given.
    static void Lending(XkbDescPtr original, const XkbMapChangesRec& changes,
                        const std::vector<std::pair<KeyCode, std::vector<KeySym>>>& lent);
    // The keymap is whole again.
    static void Restored();

    // A send begins or ends: the crash handlers are in place and the journal exists for
    // exactly that long.
    class SendScope {
    public:
        SendScope();
        ~SendScope();
        SendScope(const SendScope&) = delete;
        SendScope& operator=(const SendScope&) = delete;
    };

    // The journal of this process on this display (for tests).
    static std::string JournalPath();
};

} // namespace kelpo::x11
