// The main window against a real X server: TargetWindow follows real foreign windows that
// take the focus, and never becomes one of the program's own windows.
#include "TestProgram.h"
#include "mainwindow/Pages.h"
#include "platform/x11/X11WindowSystem.h"

#include <QApplication>
#include <QDialog>

// Xlib last: its macros clash with Qt's names.
#include "XTestSupport.h"

using namespace kelpo;

namespace {

// Runs the event loop until `condition` holds or five seconds pass (a bound, not a measure).
bool PumpUntil(const std::function<bool()>& condition) {
    return xtest::WaitUntil([&] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return condition();
    });
}

class PagesOnX : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "pages_xtest";
        static char* argv[] = {name, nullptr};
        [[maybe_unused]] static auto* app = new QApplication(argc, argv);
        windows = X11WindowSystem::Create();
        ASSERT_TRUE(windows);
        t.program.platform.windows = windows.get();
        pages = std::make_unique<Pages>(t.program);
        pages->show();
        Activate(pages->winId());
    }

    // Makes one of our windows the foreground window and lets the change report, if any,
    // arrive and be handled.
    void Activate(WindowId window) {
        ASSERT_TRUE(PumpUntil([&] { return windows->BringToForeground(window, 200); }));
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    TestProgram t;
    std::unique_ptr<X11WindowSystem> windows;
    std::unique_ptr<Pages> pages;
};

TEST_F(PagesOnX, FollowsTheForegroundAsItChanges) {
    if (xtest::WithoutWindowManager())
        GTEST_SKIP() << "nothing announces focus changes without a window manager";
    pages->PauseTimer(true); // the change reports alone, without the tick

    xtest::Target browser("Browser", 400, 100);
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == browser.Window(); }));

    // Our own windows never become the target: the main window, a dialog.
    Activate(pages->winId());
    EXPECT_EQ(t.program.TargetWindow, browser.Window());
    QDialog dialog(pages.get());
    dialog.show();
    Activate(dialog.winId());
    EXPECT_EQ(t.program.TargetWindow, browser.Window());

    xtest::Target mail("Mail", 500, 300);
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == mail.Window(); }));
}

TEST_F(PagesOnX, TheTickFindsTheForegroundWithoutReports) {
    windows->SetForegroundChangedHandler({}); // only the one-second tick is left

    xtest::Target browser("Browser", 400, 100);
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == browser.Window(); }));
    Activate(pages->winId());
    pages->Timer1_Timer();
    EXPECT_EQ(t.program.TargetWindow, browser.Window());

    // A window that goes away leaves the last target as it was until another comes.
    browser.Close();
    pages->Timer1_Timer();
    EXPECT_EQ(t.program.TargetWindow, browser.Window());
    xtest::Target mail("Mail", 500, 300);
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == mail.Window(); }));
}

} // namespace
