#include "platform/x11/X11WindowSystem.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <set>

// Xlib last: its macros clash with Qt's names.
#include "platform/x11/X11Connection.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace kelpo {

using x11::Connection;

struct X11WindowSystem::Impl {
    std::unique_ptr<Connection> conn;
    std::function<void(WindowId)> handler;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QObject> context; // owner of deferred handler calls
    WindowId lastReported = 0;
    bool activeChanged = false;
    bool drainScheduled = false;
    // Windows seen in the foreground, watched for their end, and those that ended. The
    // server hands a freed window id to the next program that asks, so an id that once
    // was the browser may later name another program's window: that one must never count
    // as the window it replaced until it is seen in the foreground itself.
    std::set<Window> watched;
    std::set<Window> destroyed;

    Display* Dpy() const { return conn->Dpy(); }

    // Called for every window seen as the foreground window.
    void Watch(Window window) {
        if (!window)
            return;
        destroyed.erase(window);
        if (watched.count(window))
            return;
        Connection::Trap trap(*conn);
        XSelectInput(Dpy(), window, StructureNotifyMask);
        if (!trap.Failed())
            watched.insert(window);
    }

    // The window still exists and is the one that was seen, not a later one with its id.
    bool Alive(Window window) {
        if (!window)
            return false;
        XSync(Dpy(), False);
        Drain();
        return !destroyed.count(window) && conn->WindowExists(window);
    }

    // Reads every queued event; remembers whether the active window property changed.
    void Drain() {
        const Atom active = conn->AtomOf("_NET_ACTIVE_WINDOW");
        while (XPending(Dpy()) > 0) {
            XEvent event;
            XNextEvent(Dpy(), &event);
            if (event.type == PropertyNotify && event.xproperty.window == conn->Root() &&
                event.xproperty.atom == active)
                activeChanged = true;
            if (event.type == DestroyNotify && watched.erase(event.xdestroywindow.window))
                destroyed.insert(event.xdestroywindow.window);
        }
    }

    void NotifyIfChanged() {
        Drain();
        if (!activeChanged || !handler)
            return;
        activeChanged = false;
        const WindowId now = conn->FocusedClientWindow();
        Watch(Window(now));
        if (now == lastReported)
            return;
        lastReported = now;
        // The handler may replace or clear itself; call a copy.
        auto call = handler;
        call(now);
    }

    // Events can end up in Xlib's queue while a request waits for its reply; the socket
    // then stays quiet, so look at the queue once control is back in the event loop.
    void ScheduleDrain() {
        if (!handler || !context || drainScheduled)
            return;
        if (XQLength(Dpy()) == 0 && !activeChanged)
            return;
        drainScheduled = true;
        QTimer::singleShot(0, context.get(), [this] {
            drainScheduled = false;
            NotifyIfChanged();
        });
    }

    // Waits up to `ms` for events of our connection, then reads them.
    void WaitForEvents(int ms) {
        if (XPending(Dpy()) == 0) {
            pollfd fd{ConnectionNumber(Dpy()), POLLIN, 0};
            poll(&fd, 1, std::max(ms, 0));
        }
        Drain();
    }

    void SendRootMessage(Window window, const char* type, long l0, long l1, long l2, long l3) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = conn->AtomOf(type);
        event.xclient.format = 32;
        event.xclient.data.l[0] = l0;
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = l3;
        XSendEvent(Dpy(), conn->Root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    }
};

std::unique_ptr<X11WindowSystem> X11WindowSystem::Create() {
    auto conn = Connection::Open();
    if (!conn)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->conn = std::move(conn);
    // Our own connection's mask on the root; Qt's is unaffected.
    XSelectInput(impl->Dpy(), impl->conn->Root(), PropertyChangeMask);
    XFlush(impl->Dpy());
    return std::unique_ptr<X11WindowSystem>(new X11WindowSystem(std::move(impl)));
}

X11WindowSystem::X11WindowSystem(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

X11WindowSystem::~X11WindowSystem() {
    d->notifier.reset();
    d->context.reset();
}

WindowId X11WindowSystem::ForegroundWindow() {
    const WindowId window = d->conn->FocusedClientWindow();
    d->Watch(Window(window));
    d->ScheduleDrain();
    return window;
}

bool X11WindowSystem::BringToForeground(WindowId window, int timeoutMs) {
    const Window w = Window(window);
    if (!d->Alive(w))
        return false;
    const Window current = d->conn->FocusedClientWindow();
    if (current == w)
        return true;

    {
        Connection::Trap trap(*d->conn);
        if (d->conn->HasActiveWindowSupport()) {
            // Source 2 (a pager) with a real timestamp: window managers honour it where
            // they would refuse an application's own request.
            d->SendRootMessage(w, "_NET_ACTIVE_WINDOW", 2, long(d->conn->ServerTime()),
                               long(current), 0);
        } else {
            XRaiseWindow(d->Dpy(), w);
            XSetInputFocus(d->Dpy(), w, RevertToParent, CurrentTime);
        }
        if (trap.Failed()) {
            d->ScheduleDrain();
            return false;
        }
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    bool arrived = d->conn->FocusedClientWindow() == w;
    while (!arrived) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        // Without a window manager nothing announces the change: look again every 5 ms.
        d->WaitForEvents(int(std::min<long long>(left.count(), 5)));
        arrived = d->conn->FocusedClientWindow() == w;
    }
    d->ScheduleDrain();
    return arrived;
}

QString X11WindowSystem::WindowTitle(WindowId window) {
    Connection& c = *d->conn;
    const Window w = Window(window);
    Atom type;
    int format;
    QByteArray data;
    QString title;
    if (c.GetProperty(w, c.AtomOf("_NET_WM_NAME"), &type, &format, &data) &&
        type == c.AtomOf("UTF8_STRING") && format == 8) {
        title = QString::fromUtf8(data);
    } else if (c.GetProperty(w, XA_WM_NAME, &type, &format, &data) && format == 8) {
        if (type == c.AtomOf("UTF8_STRING")) {
            title = QString::fromUtf8(data);
        } else if (type == c.AtomOf("COMPOUND_TEXT")) {
            XTextProperty property{reinterpret_cast<unsigned char*>(data.data()), type, 8,
                                   static_cast<unsigned long>(data.size())};
            char** list = nullptr;
            int count = 0;
            if (Xutf8TextPropertyToTextList(d->Dpy(), &property, &list, &count) >= Success &&
                list) {
                title = count > 0 ? QString::fromUtf8(list[0]) : QString();
                XFreeStringList(list);
            } else {
                title = QString::fromLatin1(data);
            }
        } else {
            title = QString::fromLatin1(data); // STRING is Latin-1
        }
    }
    d->ScheduleDrain();
    return title;
}

bool X11WindowSystem::IsDesktop(WindowId window) {
    Connection& c = *d->conn;
    const Window w = Window(window);
    if (!w)
        return false;
    if (w == c.Root())
        return true;
    const auto types = c.GetLongs(w, c.AtomOf("_NET_WM_WINDOW_TYPE"));
    const bool desktopType = std::find(types.begin(), types.end(),
                                       c.AtomOf("_NET_WM_WINDOW_TYPE_DESKTOP")) != types.end();
    d->ScheduleDrain();
    return desktopType || WindowTitle(window).toUpper() == u"PROGRAM MANAGER";
}

bool X11WindowSystem::WindowExists(WindowId window) {
    const bool exists = d->Alive(Window(window));
    d->ScheduleDrain();
    return exists;
}

void X11WindowSystem::KeepOnTop(WindowId window) {
    Connection& c = *d->conn;
    const Window w = Window(window);
    if (!c.WindowExists(w))
        return;
    Connection::Trap trap(c);
    if (c.HasActiveWindowSupport()) {
        const Atom state = c.AtomOf("_NET_WM_STATE");
        const Atom above = c.AtomOf("_NET_WM_STATE_ABOVE");
        auto states = c.GetLongs(w, state);
        const bool isAbove = std::find(states.begin(), states.end(), above) != states.end();
        if (c.HasProperty(w, c.AtomOf("WM_STATE"))) {
            // A managed window: ask the window manager, which keeps its place and size
            // and does not activate it. 1 = add, source 2.
            if (!isAbove)
                d->SendRootMessage(w, "_NET_WM_STATE", 1, long(above), 0, 2);
        } else if (!isAbove) {
            // Not mapped yet: the window manager reads the property when it maps it.
            states.push_back(above);
            XChangeProperty(d->Dpy(), w, state, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(states.data()),
                            int(states.size()));
        }
    } else {
        XRaiseWindow(d->Dpy(), w);
    }
    trap.Failed();
    d->ScheduleDrain();
}

void X11WindowSystem::SetForegroundChangedHandler(std::function<void(WindowId)> handler) {
    d->handler = std::move(handler);
    if (!d->handler) {
        d->notifier.reset();
        d->context.reset();
        return;
    }
    if (!d->notifier) {
        d->context = std::make_unique<QObject>();
        d->notifier =
            std::make_unique<QSocketNotifier>(ConnectionNumber(d->Dpy()), QSocketNotifier::Read);
        QObject::connect(d->notifier.get(), &QSocketNotifier::activated, d->context.get(),
                         [this] { d->NotifyIfChanged(); });
    }
    d->Drain();
    d->activeChanged = false;
    d->lastReported = d->conn->FocusedClientWindow();
    d->Watch(Window(d->lastReported));
}

} // namespace kelpo
