#pragma once
// The window system as the program needs it: which window has the focus, bringing a
// window forward, its title, and keeping a window on top without activating it.
#include <QString>

#include <cstdint>
#include <functional>

namespace kelpo {

// A native top-level window; 0 means no window.
using WindowId = std::uint64_t;

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The top-level window that has the keyboard focus now; 0 when there is none.
    virtual WindowId ForegroundWindow() = 0;

    // Asks for `window` to become the foreground window and waits, at most `timeoutMs`,
    // until it is. True when it is the foreground window on return.
    virtual bool BringToForeground(WindowId window, int timeoutMs) = 0;

    // The window's title; empty for a window that has none or no longer exists.
    virtual QString WindowTitle(WindowId window) = 0;

    // True for the desktop itself (a desktop-type window, the root, "PROGRAM MANAGER").
    virtual bool IsDesktop(WindowId window) = 0;

    // False once the window has been destroyed.
    virtual bool WindowExists(WindowId window) = 0;

    // Makes the window top-most at its current place and size without activating it.
    virtual void KeepOnTop(WindowId window) = 0;

    // Called on the user-interface thread whenever the foreground window changes, for
    // backends that can watch it. Pass an empty function to stop.
    virtual void SetForegroundChangedHandler(std::function<void(WindowId)> handler) = 0;
};

} // namespace kelpo
