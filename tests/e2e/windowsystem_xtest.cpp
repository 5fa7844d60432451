// The X11 window system on real windows, with a window manager and (KELPO_E2E_NO_WM=1)
// without one.
#include "platform/x11/X11WindowSystem.h"

#include <QCoreApplication>

#include "XTestSupport.h"

#include <X11/Xatom.h>

using namespace kelpo;
using namespace xtest;

namespace {

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ws) << "no X display"; }
    // A bare Xlib window of the test's own with the given WM_NAME bytes; it goes with the
    // test's connection.
    Window RawWindow(const std::string& latin1Name) {
        const Window w =
            XCreateSimpleWindow(test.dpy, DefaultRootWindow(test.dpy), 10, 10, 100, 80, 0, 0, 0);
        XStoreName(test.dpy, w, latin1Name.c_str());
        XSync(test.dpy, False);
        return w;
    }

    std::unique_ptr<X11WindowSystem> ws = X11WindowSystem::Create();
    TestDisplay test;
};

} // namespace

TEST_F(WindowSystemTest, TitlesAndTheDesktop) {
    Target a("Grüße ✓ – Login");
    EXPECT_EQ(ws->WindowTitle(a.Window()), QString::fromUtf8("Grüße ✓ – Login"));
    EXPECT_EQ(ws->WindowTitle(RawWindow("Caf\xe9 au lait")), QString::fromUtf8("Café au lait"));

    EXPECT_TRUE(ws->IsDesktop(DefaultRootWindow(test.dpy)));
    const Window desktop = RawWindow("Desktop");
    Shell("xprop -id " + std::to_string(desktop) +
          " -f _NET_WM_WINDOW_TYPE 32a -set _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_DESKTOP");
    EXPECT_TRUE(ws->IsDesktop(desktop));
    EXPECT_TRUE(ws->IsDesktop(RawWindow("Program Manager")));
}

TEST_F(WindowSystemTest, AVanishedOrUnknownWindowIsHandledNotFatal) {
    auto a = std::make_unique<Target>("Short-lived");
    const WindowId gone = a->Window();
    EXPECT_TRUE(ws->WindowExists(gone));
    a.reset();
    EXPECT_TRUE(WaitUntil([&] { return !ws->WindowExists(gone); }));

    // Every call answers plainly and the connection stays usable.
    for (WindowId w : {gone, WindowId(0x7ffffff0), WindowId(0)}) {
        EXPECT_EQ(ws->WindowTitle(w), QString());
        EXPECT_FALSE(ws->IsDesktop(w));
        EXPECT_FALSE(ws->BringToForeground(w, 200));
        ws->KeepOnTop(w);
    }
    EXPECT_TRUE(ws->IsDesktop(DefaultRootWindow(test.dpy)));
}

TEST_F(WindowSystemTest, AWindowThatInheritsAVanishedForegroundWindowsIdIsNotIt) {
    auto a = std::make_unique<Target>("First owner");
    ASSERT_TRUE(ws->BringToForeground(a->Window(), 1000));
    const WindowId id = ws->ForegroundWindow();
    ASSERT_EQ(id, a->Window());
    a.reset();
    // The server gives the freed id range to the next program that connects, so its
    // first window often has the very id of the one that went.
    Target b("Second owner", 400, 300);
    Target c("Has the focus", 600, 500);
    ASSERT_TRUE(ws->BringToForeground(c.Window(), 1000));
    if (b.Window() != id)
        GTEST_SKIP() << "the server did not hand out the same id again";
    EXPECT_FALSE(ws->WindowExists(id));
    EXPECT_FALSE(ws->BringToForeground(id, 300));
    EXPECT_EQ(ws->ForegroundWindow(), c.Window());
    // Once the new window is seen in the foreground it is a window of its own right.
    Shell("xdotool windowactivate --sync " + std::to_string(id) + " || xdotool windowfocus " +
          std::to_string(id));
    ASSERT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == id; }));
    EXPECT_TRUE(ws->WindowExists(id));
}

TEST_F(WindowSystemTest, KeepOnTopKeepsPlaceAndFocus) {
    Target a("Kept on top", 120, 140);
    Target b("Has the focus", 500, 400);
    ASSERT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == b.Window(); }));
    const std::string id = std::to_string(a.Window());
    const std::string place = "xwininfo -id " + id + " | grep -E 'Absolute|Width|Height'";
    const std::string before = Shell(place);
    ASSERT_FALSE(before.empty());
    ws->KeepOnTop(a.Window());

    // Without a window manager nobody reads the hint.
    EXPECT_TRUE(
        WithoutWindowManager() || WaitUntil([&] {
            return Shell("xprop -id " + id + " _NET_WM_STATE").find("_NET_WM_STATE_ABOVE") !=
                   std::string::npos;
        }));
    // A moment for a window manager that would wrongly move or activate it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Shell(place), before);
    EXPECT_EQ(ws->ForegroundWindow(), b.Window());
}

// Reported from the event loop, once, never from inside our own call.
TEST_F(WindowSystemTest, ReportsForegroundChangesOnTheEventLoop) {
    if (WithoutWindowManager())
        GTEST_SKIP() << "nothing announces focus changes without a window manager";
    int argc = 1;
    char* argv[] = {const_cast<char*>("windowsystem_xtest"), nullptr};
    QCoreApplication app(argc, argv);
    Target a("First");
    Target b("Second", 400, 300);
    ASSERT_TRUE(WaitUntil([&] { return ws->ForegroundWindow() == b.Window(); }));

    std::vector<WindowId> seen;
    ws->SetForegroundChangedHandler([&](WindowId w) { seen.push_back(w); });
    ASSERT_TRUE(ws->BringToForeground(a.Window(), 1000));
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return !seen.empty();
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, std::vector<WindowId>{a.Window()});
}
