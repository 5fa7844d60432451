// The main window against a real X server: TargetWindow follows real foreign windows that
// take the focus, and never becomes one of the program's own windows.
#include "TestProgram.h"
#include "mainwindow/Pages.h"
#include "platform/x11/X11WindowSystem.h"
#include "storage/Names.h"

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
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "pages_xtest";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }

    void SetUp() override {
        windows = X11WindowSystem::Create();
        ASSERT_TRUE(windows);
        t.program.platform.windows = windows.get();
        pages = std::make_unique<Pages>(t.program);
        LoadLibraryNames(t.program);
        LoadNames(t.program);
        pages->setWindowTitle(" Kelpo");
        pages->move(20, 20);
        pages->show();
        ASSERT_TRUE(PumpUntil([&] { return windows->BringToForeground(pages->winId(), 200); }));
    }

    void TearDown() override {
        pages.reset();
        windows.reset();
    }

    // Makes one of our windows the foreground window and lets the program see it.
    void Activate(WindowId window) {
        ASSERT_TRUE(PumpUntil([&] { return windows->BringToForeground(window, 200); }));
        // Let the change report, if any, arrive and be handled.
        ASSERT_TRUE(PumpUntil([&] { return windows->ForegroundWindow() == window; }));
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
    t.program.pauseTimer(true); // the change reports alone, without the tick

    xtest::Target browser("Browser", 400, 100);
    ASSERT_TRUE(browser.Ready());
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == browser.Window(); }));

    // Our own windows never become the target: the main window, a dialog.
    Activate(pages->winId());
    EXPECT_EQ(t.program.TargetWindow, browser.Window());
    QDialog dialog(pages.get());
    dialog.setWindowTitle("Options");
    dialog.show();
    Activate(dialog.winId());
    EXPECT_EQ(t.program.TargetWindow, browser.Window());
    dialog.hide();

    xtest::Target mail("Mail", 500, 300);
    ASSERT_TRUE(mail.Ready());
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == mail.Window(); }));
    ASSERT_TRUE(windows->BringToForeground(browser.Window(), 1000));
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == browser.Window(); }));
}

TEST_F(PagesOnX, TheTickFindsTheForegroundWithoutReports) {
    windows->SetForegroundChangedHandler({}); // only the one-second tick is left

    xtest::Target browser("Browser", 400, 100);
    ASSERT_TRUE(browser.Ready());
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == browser.Window(); }));
    Activate(pages->winId());
    pages->Timer1_Timer();
    EXPECT_EQ(t.program.TargetWindow, browser.Window());

    // A window that goes away leaves the last target as it was until another comes.
    browser.Close();
    pages->Timer1_Timer();
    EXPECT_EQ(t.program.TargetWindow, browser.Window());
    xtest::Target mail("Mail", 500, 300);
    ASSERT_TRUE(mail.Ready());
    EXPECT_TRUE(PumpUntil([&] { return t.program.TargetWindow == mail.Window(); }));
}

} // namespace
