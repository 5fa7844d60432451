// Opening the entry's bookmark and the help page through the Browser service.
#include "TestProgram.h"
#include "insertion/BrowserLaunch.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace kelpo;

TEST(LaunchBrowser, OpensTheCurrentAddressWhenThereIsABrowser) {
    TestProgram t;
    t.program.CurrentUrl = "https://example.com/a b";
    EXPECT_TRUE(LaunchBrowser(t.program));
    EXPECT_EQ(t.fakes.browser.opened, QStringList{"https://example.com/a b"});

    t.program.CurrentUrl.clear();
    EXPECT_FALSE(LaunchBrowser(t.program));
    // A system without a browser, then no browser service at all: no start is claimed.
    t.program.CurrentUrl = "example.com";
    t.fakes.browser.available = false;
    EXPECT_FALSE(LaunchBrowser(t.program));
    EXPECT_EQ(t.fakes.browser.opened.size(), 1);
    t.program.platform.browser = nullptr;
    EXPECT_FALSE(LaunchBrowser(t.program));
    ShowHelpPage(t.program);
    EXPECT_EQ(t.program.CurrentUrl, "example.com");
}

TEST(HelpPage, AFileAddressBesideTheProgramOrNothing) {
    TestProgram t;
    const QString folder = t.dir.path() + "/my programs";
    EXPECT_EQ(HelpPageAddress(folder), "");
    TestProgram::WriteAll(folder + "/tutorial/1.htm", "<html></html>");
    EXPECT_EQ(HelpPageAddress(folder), "file://" + QString(t.dir.path()).replace(" ", "%20") +
                                           "/my%20programs/tutorial/1.htm");
    // A folder where the page should be is no page.
    QDir().mkpath(t.dir.path() + "/other/tutorial/1.htm");
    EXPECT_EQ(HelpPageAddress(t.dir.path() + "/other"), "");
}

TEST(HelpPage, LeavesTheCurrentAddressAlone) {
    TestProgram t;
    t.program.CurrentUrl = "bank.example";
    ShowHelpPage(t.program); // no help pages beside the test program: nothing opens
    EXPECT_EQ(t.program.CurrentUrl, "bank.example");
    EXPECT_TRUE(t.fakes.browser.opened.isEmpty());
}
