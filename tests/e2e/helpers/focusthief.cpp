// A window that takes the keyboard focus when told to and counts every key that reaches
// it. It is not managed by the window manager, so the manager's idea of the active window
// lags (or never follows) the real focus, as with a program that grabs the focus itself.
//
//   focusthief
//
// Prints "ready <window id>" once shown, then reads commands from standard input:
//   steal <ms>   waits <ms> milliseconds, takes the focus, prints "stolen"
//   count        prints "keys <presses>": the key presses received since the last count
#include <X11/Xlib.h>

#include <poll.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int g_presses = 0;

void Drain(Display* dpy) {
    while (XPending(dpy) > 0) {
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type == KeyPress)
            ++g_presses;
    }
}

// Sleeps `ms` while still reading the window's events.
void Wait(Display* dpy, int ms) {
    pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
    for (int left = ms; left > 0; left -= 2) {
        poll(&fd, 1, 2);
        Drain(dpy);
    }
}

} // namespace

int main() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "focusthief: no display\n");
        return 1;
    }
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = KeyPressMask | KeyReleaseMask;
    const Window window =
        XCreateWindow(dpy, DefaultRootWindow(dpy), 10, 10, 200, 60, 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    XStoreName(dpy, window, "Focus Thief");
    XMapRaised(dpy, window);
    XSync(dpy, False);
    std::printf("ready %lu\n", window);
    std::fflush(stdout);

    char line[128];
    while (std::fgets(line, sizeof line, stdin)) {
        int ms = 0;
        if (std::sscanf(line, "steal %d", &ms) == 1) {
            Wait(dpy, ms);
            XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
            XSync(dpy, False);
            std::printf("stolen\n");
        } else if (std::strncmp(line, "count", 5) == 0) {
            XSync(dpy, False);
            Drain(dpy);
            std::printf("keys %d\n", g_presses);
            g_presses = 0;
        }
        std::fflush(stdout);
    }
    XCloseDisplay(dpy);
    return 0;
}
