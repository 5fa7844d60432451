// Opening the entry's bookmark and the help page through the Browser service.
#include "TestProgram.h"
#include "insertion/BrowserLaunch.h"

#include <QDir>
#include <QFile>

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

TEST(HelpPage, FoundBesideTheProgramThenInstalledThenInTheDataFolders) {
    TestProgram t;
    // An installation under "my apps" with its program in bin, and two system data folders.
    const QString root = t.dir.path() + "/my apps";
    const QString bin = root + "/bin";
    const QStringList data{root + "/data one", root + "/data two"};
    const QString beside = bin + "/tutorial", installed = root + "/share/kelpo/tutorial",
                  first = data[0] + "/kelpo/tutorial", second = data[1] + "/kelpo/tutorial";
    EXPECT_EQ(HelpPageFolders(bin, data).join('\n').toStdString(),
              QStringList({beside, installed, first, second}).join('\n').toStdString());

    auto address = [](const QString& folder) {
        return "file://" + QString(folder).replace(" ", "%20") + "/1.htm";
    };
    EXPECT_EQ(FindHelpPage(bin, data), "");
    // A folder where the page should be is no page.
    QDir().mkpath(second + "/1.htm");
    EXPECT_EQ(FindHelpPage(bin, data), "");
    QDir().rmdir(second + "/1.htm");
    // Each page added hides the ones after it in the order.
    for (const QString& folder : {second, first, installed, beside}) {
        TestProgram::WriteAll(folder + "/1.htm", "<html></html>");
        EXPECT_EQ(FindHelpPage(bin, data).toStdString(), address(folder).toStdString());
    }
}

TEST(HelpPage, ShowHelpPageOpensTheSystemDataCopyAndLeavesTheCurrentAddressAlone) {
    TestProgram t;
    // The system's data folders as the desktop names them, here all inside the test folder.
    qputenv("XDG_DATA_HOME", QFile::encodeName(t.dir.path() + "/home"));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(t.dir.path() + "/local:" + t.dir.path() + "/usr"));
    t.program.CurrentUrl = "bank.example";
    ShowHelpPage(t.program); // no help pages anywhere: nothing opens
    EXPECT_TRUE(t.fakes.browser.opened.isEmpty());

    TestProgram::WriteAll(t.dir.path() + "/usr/kelpo/tutorial/1.htm", "<html></html>");
    ShowHelpPage(t.program);
    EXPECT_EQ(t.fakes.browser.opened,
              QStringList{"file://" + t.dir.path() + "/usr/kelpo/tutorial/1.htm"});
    EXPECT_EQ(t.program.CurrentUrl, "bank.example");
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_DIRS");
}
