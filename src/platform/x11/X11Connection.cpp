#include "platform/x11/X11Connection.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace kelpo::x11 {

namespace {

// The innermost active trap. Xlib's error handler is process-wide, so the handler is
// swapped in only while a trap is alive and errors of other connections go on to
// whoever handled them before.
Connection::Trap* g_innermost = nullptr;
XErrorHandler g_previousHandler = nullptr;

int TrapHandler(Display* dpy, XErrorEvent* event) {
    for (Connection::Trap* t = g_innermost; t; t = t->outer) {
        if (t->dpy == dpy) {
            ++t->errors;
            return 0;
        }
    }
    return g_previousHandler ? g_previousHandler(dpy, event) : 0;
}

} // namespace

Connection::Trap::Trap(Connection& connection) : dpy(connection.Dpy()) {
    XSync(dpy, False);
    outer = g_innermost;
    if (!outer)
        g_previousHandler = XSetErrorHandler(TrapHandler);
    g_innermost = this;
}

Connection::Trap::~Trap() {
    XSync(dpy, False);
    g_innermost = outer;
    if (!outer)
        XSetErrorHandler(g_previousHandler);
}

bool Connection::Trap::Failed() {
    XSync(dpy, False);
    return errors > 0;
}

std::unique_ptr<Connection> Connection::Open() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        return nullptr;
    return std::unique_ptr<Connection>(new Connection(dpy));
}

Connection::Connection(Display* dpy) : dpy_(dpy), root_(DefaultRootWindow(dpy)) {}

Connection::~Connection() {
    if (helper_)
        XDestroyWindow(dpy_, helper_);
    XCloseDisplay(dpy_);
}

Atom Connection::AtomOf(const char* name) {
    auto it = atoms_.find(name);
    if (it != atoms_.end())
        return it->second;
    const Atom atom = XInternAtom(dpy_, name, False);
    atoms_.emplace(name, atom);
    return atom;
}

bool Connection::GetProperty(Window window, Atom property, Atom* type, int* format,
                             QByteArray* data) {
    *type = None;
    *format = 0;
    data->clear();
    if (!window)
        return false;
    Trap trap(*this);
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* bytes = nullptr;
    // Titles and window lists are small; 64 KiB (in 32-bit units) is plenty.
    const int status = XGetWindowProperty(dpy_, window, property, 0, 16384, False, AnyPropertyType,
                                          &actualType, &actualFormat, &count, &after, &bytes);
    if (status != Success || trap.Failed() || actualType == None) {
        if (bytes)
            XFree(bytes);
        return false;
    }
    const int itemSize = actualFormat == 32 ? int(sizeof(long)) : actualFormat / 8;
    if (bytes)
        data->append(reinterpret_cast<const char*>(bytes), qsizetype(count) * itemSize);
    if (bytes)
        XFree(bytes);
    *type = actualType;
    *format = actualFormat;
    return true;
}

std::vector<unsigned long> Connection::GetLongs(Window window, Atom property) {
    Atom type;
    int format;
    QByteArray data;
    std::vector<unsigned long> out;
    if (!GetProperty(window, property, &type, &format, &data) || format != 32)
        return out;
    out.resize(size_t(data.size()) / sizeof(long));
    std::copy_n(reinterpret_cast<const unsigned long*>(data.constData()), out.size(), out.begin());
    return out;
}

bool Connection::HasProperty(Window window, Atom property) {
    Atom type;
    int format;
    QByteArray data;
    return GetProperty(window, property, &type, &format, &data);
}

bool Connection::WindowExists(Window window) {
    if (!window)
        return false;
    Trap trap(*this);
    XWindowAttributes attributes;
    const Status ok = XGetWindowAttributes(dpy_, window, &attributes);
    return ok != 0 && !trap.Failed();
}

bool Connection::HasActiveWindowSupport() {
    // The window manager proves it is alive by a check window that names itself.
    const Atom check = AtomOf("_NET_SUPPORTING_WM_CHECK");
    const auto onRoot = GetLongs(root_, check);
    if (onRoot.empty() || !onRoot[0])
        return false;
    const auto onChild = GetLongs(Window(onRoot[0]), check);
    if (onChild.empty() || onChild[0] != onRoot[0])
        return false;
    const auto supported = GetLongs(root_, AtomOf("_NET_SUPPORTED"));
    const Atom active = AtomOf("_NET_ACTIVE_WINDOW");
    return std::find(supported.begin(), supported.end(), active) != supported.end();
}

Window Connection::FocusedClientWindow() {
    if (HasActiveWindowSupport()) {
        const auto active = GetLongs(root_, AtomOf("_NET_ACTIVE_WINDOW"));
        if (active.empty() || !active[0] || !WindowExists(Window(active[0])))
            return 0;
        return Window(active[0]);
    }
    Window focus = None;
    int revert = 0;
    {
        Trap trap(*this);
        XGetInputFocus(dpy_, &focus, &revert);
    }
    if (focus == None || focus == PointerRoot)
        return 0;
    if (focus == root_)
        return root_;
    return ClientWindowOf(focus);
}

Window Connection::ClientWindowOf(Window window) {
    const Atom wmState = AtomOf("WM_STATE");
    Window topLevel = 0;
    for (Window w = window; w && w != root_;) {
        if (HasProperty(w, wmState))
            return w;
        topLevel = w;
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Trap trap(*this);
        const Status ok = XQueryTree(dpy_, w, &rootReturn, &parent, &children, &count);
        if (children)
            XFree(children);
        if (!ok || trap.Failed())
            return 0;
        w = parent;
    }
    // The focus sits on a frame or there is no window manager: look for the client
    // inside, else take the top-level window itself.
    if (const Window client = FindClientBelow(topLevel, 3))
        return client;
    return topLevel;
}

Window Connection::FindClientBelow(Window window, int depth) {
    if (!window || depth <= 0)
        return 0;
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Trap trap(*this);
    if (!XQueryTree(dpy_, window, &rootReturn, &parent, &children, &count) || trap.Failed()) {
        if (children)
            XFree(children);
        return 0;
    }
    std::vector<Window> list(children, children + count);
    if (children)
        XFree(children);
    const Atom wmState = AtomOf("WM_STATE");
    for (Window child : list)
        if (HasProperty(child, wmState))
            return child;
    for (Window child : list)
        if (const Window found = FindClientBelow(child, depth - 1))
            return found;
    return 0;
}

Window Connection::HelperWindow() {
    if (!helper_) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = PropertyChangeMask;
        helper_ = XCreateWindow(dpy_, root_, -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
                                CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    }
    return helper_;
}

Time Connection::ServerTime() {
    // A zero-length append changes nothing but earns a PropertyNotify stamped by the server.
    const Window helper = HelperWindow();
    const Atom stamp = AtomOf("_KELPO_TIMESTAMP");
    XChangeProperty(dpy_, helper, stamp, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    XEvent event;
    while (true) {
        XWindowEvent(dpy_, helper, PropertyChangeMask, &event);
        if (event.xproperty.atom == stamp)
            return event.xproperty.time;
    }
}

} // namespace kelpo::x11
