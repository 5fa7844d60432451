// The X11 window system on real windows, with a window manager and (KELPO_E2E_NO_WM=1)
// without one.
#include "platform/x11/X11WindowSystem.h"

#include <QCoreApplication>

#include "XTestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

using namespace kelpo;
using namespace xtest;

namespace {

// A bare Xlib window of the test's own, mapped, with the given WM_NAME bytes.
Window MakeRawWindow(Display* dpy, const std::string& latin1Name) {
    const Window w = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 10, 10, 100, 80, 0, 0, 0);
    if (!latin1Name.empty())
        XChangeProperty(dpy, w, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(latin1Name.data()),
                        int(latin1Name.size()));
    return w;
}

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ws = X11WindowSystem::Create();
        ASSERT_TRUE(ws) << "no X display";
        ASSERT_TRUE(test.dpy);
    }
    std::unique_ptr<X11WindowSystem> ws;
    TestDisplay test;
};

} // namespace

TEST_F(WindowSystemTest, ForegroundFollowsFocusAndBringToForegroundSwitches) {
    Target a("Alpha window");
    ASSERT_TRUE(a.Ready());
    EXPECT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == a.Window(); }));
    Target b("Beta window", 400, 300);
    ASSERT_TRUE(b.Ready());
    EXPECT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == b.Window(); }));

    EXPECT_TRUE(ws->BringToForeground(a.Window(), 1000));
    EXPECT_EQ(ws->ForegroundWindow(), a.Window());
    EXPECT_TRUE(ws->BringToForeground(a.Window(), 1000)); // already there
    EXPECT_TRUE(ws->BringToForeground(b.Window(), 1000));
    EXPECT_EQ(ws->ForegroundWindow(), b.Window());

    EXPECT_FALSE(ws->IsDesktop(a.Window()));
    EXPECT_FALSE(ws->BringToForeground(0, 100));
}

TEST_F(WindowSystemTest, TitlesComeFromNetWmNameOrWmName) {
    Target a("Grüße ✓ – Login");
    ASSERT_TRUE(a.Ready());
    EXPECT_EQ(ws->WindowTitle(a.Window()), QString::fromUtf8("Grüße ✓ – Login"));

    const Window latin = MakeRawWindow(test.dpy, "Caf\xe9 au lait");
    const Window untitled = MakeRawWindow(test.dpy, "");
    XSync(test.dpy, False);
    EXPECT_EQ(ws->WindowTitle(latin), QString::fromUtf8("Café au lait"));
    EXPECT_EQ(ws->WindowTitle(untitled), QString());
    EXPECT_EQ(ws->WindowTitle(0), QString());
    XDestroyWindow(test.dpy, latin);
    XDestroyWindow(test.dpy, untitled);
    XSync(test.dpy, False);
}

TEST_F(WindowSystemTest, RecognisesTheDesktop) {
    const Window root = DefaultRootWindow(test.dpy);
    EXPECT_TRUE(ws->IsDesktop(root));

    const Window desktop = MakeRawWindow(test.dpy, "Desktop");
    const Atom type = XInternAtom(test.dpy, "_NET_WM_WINDOW_TYPE", False);
    const Atom desktopType = XInternAtom(test.dpy, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(test.dpy, desktop, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&desktopType), 1);
    const Window manager = MakeRawWindow(test.dpy, "Program Manager");
    const Window other = MakeRawWindow(test.dpy, "Program Managers");
    XSync(test.dpy, False);
    EXPECT_TRUE(ws->IsDesktop(desktop));
    EXPECT_TRUE(ws->IsDesktop(manager));
    EXPECT_FALSE(ws->IsDesktop(other));
    EXPECT_FALSE(ws->IsDesktop(0));
    for (Window w : {desktop, manager, other})
        XDestroyWindow(test.dpy, w);
    XSync(test.dpy, False);
}

TEST_F(WindowSystemTest, AVanishedWindowIsHandledNotFatal) {
    auto a = std::make_unique<Target>("Short-lived");
    ASSERT_TRUE(a->Ready());
    const WindowId gone = a->Window();
    EXPECT_TRUE(ws->WindowExists(gone));
    a.reset();
    EXPECT_TRUE(WaitUntil([&] { return !ws->WindowExists(gone); }));

    // Every call on the dead window answers plainly and the connection stays usable.
    EXPECT_EQ(ws->WindowTitle(gone), QString());
    EXPECT_FALSE(ws->IsDesktop(gone));
    EXPECT_FALSE(ws->BringToForeground(gone, 200));
    ws->KeepOnTop(gone);
    EXPECT_FALSE(ws->WindowExists(0x7ffffff0));
    EXPECT_EQ(ws->WindowTitle(0x7ffffff0), QString());
    ws->KeepOnTop(0x7ffffff0);
    EXPECT_TRUE(ws->IsDesktop(DefaultRootWindow(test.dpy)));
}

TEST_F(WindowSystemTest, KeepOnTopKeepsPlaceAndFocus) {
    Target a("Kept on top", 120, 140);
    ASSERT_TRUE(a.Ready());
    Target b("Has the focus", 500, 400);
    ASSERT_TRUE(b.Ready());
    ASSERT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == b.Window(); }));

    auto geometry = [&] {
        XWindowAttributes attr{};
        XGetWindowAttributes(test.dpy, a.Window(), &attr);
        Window child;
        int x = 0, y = 0;
        XTranslateCoordinates(test.dpy, a.Window(), DefaultRootWindow(test.dpy), 0, 0, &x, &y,
                              &child);
        return std::vector<int>{x, y, attr.width, attr.height};
    };
    const auto before = geometry();
    ws->KeepOnTop(a.Window());

    if (!WithoutWindowManager()) {
        const Atom state = XInternAtom(test.dpy, "_NET_WM_STATE", False);
        const Atom above = XInternAtom(test.dpy, "_NET_WM_STATE_ABOVE", False);
        EXPECT_TRUE(WaitUntil([&] {
            Atom type;
            int format;
            unsigned long count, after;
            unsigned char* data = nullptr;
            bool found = false;
            if (XGetWindowProperty(test.dpy, a.Window(), state, 0, 64, False, XA_ATOM, &type,
                                   &format, &count, &after, &data) == Success &&
                data) {
                const Atom* atoms = reinterpret_cast<const Atom*>(data);
                for (unsigned long i = 0; i < count; ++i)
                    found = found || atoms[i] == above;
                XFree(data);
            }
            return found;
        }));
    }
    // A moment for a window manager that would wrongly move or activate it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(geometry(), before);
    EXPECT_EQ(ws->ForegroundWindow(), b.Window());
}

TEST_F(WindowSystemTest, ReportsForegroundChangesOnTheEventLoop) {
    if (WithoutWindowManager())
        GTEST_SKIP() << "nothing announces focus changes without a window manager";
    int argc = 1;
    char name[] = "windowsystem_xtest";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    Target a("First");
    ASSERT_TRUE(a.Ready());
    Target b("Second", 400, 300);
    ASSERT_TRUE(b.Ready());
    ASSERT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == b.Window(); }));

    std::vector<WindowId> seen;
    ws->SetForegroundChangedHandler([&](WindowId w) { seen.push_back(w); });
    // Another program switches the focus: only the event loop can notice.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = a.Window();
    event.xclient.message_type = XInternAtom(test.dpy, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;
    XSendEvent(test.dpy, DefaultRootWindow(test.dpy), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(test.dpy);
    EXPECT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return !seen.empty() && seen.back() == a.Window();
    }));

    // Our own switch is reported too, once, and never from inside the call.
    seen.clear();
    ASSERT_TRUE(ws->BringToForeground(b.Window(), 1000));
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return !seen.empty();
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, std::vector<WindowId>{b.Window()});

    ws->SetForegroundChangedHandler({});
    seen.clear();
    ASSERT_TRUE(ws->BringToForeground(a.Window(), 1000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen.empty());
}
