#pragma once
// A private Xlib connection to the X server, separate from Qt's own (reading events on
// Qt's connection hangs it), with the helpers both X11 services need: an error trap that
// survives windows vanishing, atoms, properties and the foreground client window.
#include <QByteArray>
#include <QString>

// After Qt: Xlib's macros (None, Bool, Status...) clash with Qt's names.
#include <X11/Xlib.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kelpo::x11 {

class Connection {
public:
    // Opens the display named by DISPLAY; null when there is none.
    static std::unique_ptr<Connection> Open();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* Dpy() const { return dpy_; }
    Window Root() const { return root_; }
    Atom AtomOf(const char* name);

    // Catches X errors of this connection while alive, so a window that vanished between
    // two requests is a failed request, not the end of the program. Nests.
    class Trap {
    public:
        explicit Trap(Connection& connection);
        ~Trap();
        Trap(const Trap&) = delete;
        Trap& operator=(const Trap&) = delete;
        // Waits for the server and tells whether any request since the trap failed.
        bool Failed();

        Display* dpy;
        int errors = 0;
        Trap* outer = nullptr;
    };

    // A property's raw data as 8-, 16- or 32-bit items (32-bit items are longs, as Xlib
    // returns them); `type` receives its type, None when it is missing.
    bool GetProperty(Window window, Atom property, Atom* type, int* format, QByteArray* data);
    std::vector<unsigned long> GetLongs(Window window, Atom property);
    bool HasProperty(Window window, Atom property);
    bool WindowExists(Window window);

    // True when an EWMH window manager runs and maintains _NET_ACTIVE_WINDOW.
    bool HasActiveWindowSupport();

    // The top-level client window that has the keyboard focus; 0 when none has.
    Window FocusedClientWindow();

    // The client window (the one carrying WM_STATE) at or above `window`; without a
    // window manager the top-level child of the root.
    Window ClientWindowOf(Window window);

    // A current server timestamp (for activation requests and pings).
    Time ServerTime();

    // An unmapped window of our own, for timestamps.
    Window HelperWindow();

private:
    explicit Connection(Display* dpy);
    Window FindClientBelow(Window window, int depth);

    Display* dpy_;
    Window root_;
    Window helper_ = 0;
    std::map<std::string, Atom> atoms_;
};

} // namespace kelpo::x11
