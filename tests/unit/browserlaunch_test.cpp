// Opening the entry's bookmark and the help page through the Browser service.
#include "TestProgram.h"
#include "insertion/BrowserLaunch.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace kelpo;

TEST(LaunchBrowser, OpensTheCurrentAddressWhenThereIsABrowser) {
    TestProgram t;
    t.program.CurrentUrl = "https://example.com/a b";
    LaunchBrowser(t.program);
    EXPECT_EQ(t.fakes.browser.opened, QStringList{"https://example.com/a b"});

    t.program.CurrentUrl.clear();
    LaunchBrowser(t.program);
    EXPECT_EQ(t.fakes.browser.opened.size(), 1);

    // No browser service at all: nothing happens.
    t.program.platform.browser = nullptr;
    t.program.CurrentUrl = "example.com";
    LaunchBrowser(t.program);
    ShowHelpPage(t.program);
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
