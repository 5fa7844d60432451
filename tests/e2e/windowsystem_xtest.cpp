// The X11 window system on real windows under the private X server: a window that went
// answers plainly, and a new window that the server hands the very id of a vanished
// foreground window is not taken for it (keys meant for the old one would reach it).
#include "platform/x11/X11WindowSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// Xlib last: its macros clash with GoogleTest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace kelpo;

namespace {

bool WaitUntil(const std::function<bool()>& condition) {
    for (int waited = 0; !condition(); waited += 10) {
        if (waited > 5000)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A window on a connection of its own, as another program's: it goes with the
// connection, and the server hands the freed ids to the next program that connects.
struct OtherProgram {
    Display* dpy = XOpenDisplay(nullptr);
    Window window = 0;
    OtherProgram(const char* title, int x) {
        window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), x, x, 200, 150, 0, 0, 0xFFFFFF);
        XStoreName(dpy, window, title);
        XWMHints hints{};
        hints.flags = InputHint;
        hints.input = True;
        XSetWMHints(dpy, window, &hints);
        XMapWindow(dpy, window);
        XSync(dpy, False);
    }
    ~OtherProgram() { XCloseDisplay(dpy); }
};

} // namespace

TEST(WindowSystem, AVanishedWindowAnswersPlainlyAndItsIdHandedOnIsNotIt) {
    auto ws = X11WindowSystem::Create();
    ASSERT_TRUE(ws) << "no X display";
    auto first = std::make_unique<OtherProgram>("First owner", 40);
    ASSERT_TRUE(ws->BringToForeground(first->window, 2000));
    ASSERT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == first->window; }));
    const WindowId id = first->window;
    first.reset();
    ASSERT_TRUE(WaitUntil([&] { return !ws->WindowExists(id); }));
    // Every call answers plainly and the connection stays usable.
    for (WindowId w : {id, WindowId(0x7ffffff0), WindowId(0)}) {
        EXPECT_EQ(ws->WindowTitle(w), QString());
        EXPECT_FALSE(ws->IsDesktop(w));
        EXPECT_FALSE(ws->BringToForeground(w, 200));
        ws->KeepOnTop(w);
    }

    OtherProgram second("Second owner", 300);
    OtherProgram third("Has the focus", 500);
    ASSERT_TRUE(ws->BringToForeground(third.window, 2000));
    if (second.window != id)
        GTEST_SKIP() << "the server did not hand out the same id again";
    EXPECT_FALSE(ws->WindowExists(id));
    EXPECT_FALSE(ws->BringToForeground(id, 300));
    EXPECT_EQ(ws->ForegroundWindow(), third.window);
    // Once the new window is seen in the foreground it is a window in its own right.
    XSetInputFocus(second.dpy, second.window, RevertToParent, CurrentTime);
    XRaiseWindow(second.dpy, second.window);
    XSync(second.dpy, False);
    const std::string activate = "xdotool windowactivate " + std::to_string(id) + " 2>/dev/null";
    ASSERT_EQ(std::system(activate.c_str()), 0);
    ASSERT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == id; }));
    EXPECT_TRUE(ws->WindowExists(id));
}
