// Finding the default browser from desktop files, and starting it so that whatever the
// address holds reaches it as one argument and runs nothing.
#include "TestProgram.h"
#include "platform/DesktopBrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace kelpo;
using namespace kelpo::desktop;

namespace {

// Every file written is executable: the scripts need it, the desktop files do not mind.
void Write(const QString& path, const QByteArray& content) {
    TestProgram::WriteAll(path, content);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

TEST(DesktopExec, QuotingEscapesAndFieldCodes) {
    // Adjacent quoted and plain parts make one argument; single quotes and a backslash
    // outside quotes as a shell takes them.
    EXPECT_EQ(
        SplitExec(R"("/opt/My Browser/run" "--a=\"b\" \$HOME \` \\" x"a b"c 'it''s' a\ b "")"),
        (QStringList{"/opt/My Browser/run", R"(--a="b" $HOME ` \)", "xa bc", "its", "a b", ""}));
    EXPECT_FALSE(SplitExec(R"("/opt/browser %u)").has_value());

    // The address replaces the first file code only, whole; other codes go; none: it goes last.
    const QString address = "https://example.com/?q=%u&x=%%";
    EXPECT_EQ(ExpandExec({"b", "%u", "%U"}, address), (QStringList{"b", address}));
    EXPECT_EQ(ExpandExec({"b", "%i", "--name=%c%k", "%d", "100%%", "%F"}, address),
              (QStringList{"b", "--name=", "100%", address}));
    EXPECT_EQ(ExpandExec({"b", "--private"}, address), (QStringList{"b", "--private", address}));
    // A file code inside a larger argument makes the entry unusable: the address would
    // become part of a shell string or another option.
    for (const QStringList& exec : {QStringList{"sh", "-c", "b %u"}, QStringList{"b", "--app=%u"},
                                    QStringList{"b", "%U", "x%f"}})
        EXPECT_EQ(ExpandExec(exec, address), QStringList()) << exec.join(' ').toStdString();

    // An address a browser could take for an option is never passed.
    EXPECT_TRUE(IsSafeAddress(" -x"));
    EXPECT_FALSE(IsSafeAddress(QString("a") + QChar(0) + "b"));
}

// A temporary desktop session whose default browser is a script that records the
// arguments of each start in a file of its own. Its own xdg-settings and xdg-mime answer
// what `Answer` says, so the machine's desktop settings play no part.
struct FakeSession : ::testing::Test {
    QTemporaryDir dir;
    QString root = dir.path() + '/';
    QProcessEnvironment env;

    void SetUp() override {
        // The lookup runs in the background: it needs an application and its event loop.
        static int argc = 1;
        static char* argv[] = {const_cast<char*>("browser_test"), nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        Write(root + "bin/fake-browser",
              "#!/bin/sh\nd=$(dirname \"$0\")\n"
              "printf '%s\\0' \"$@\" > \"$d/tmp.$$\" && mv \"$d/tmp.$$\" \"$d/launch.$$\"\n");
        Write(root + ".local/share/applications/fakebrowser.desktop",
              "[Desktop Entry]\nExec=" + (root + "bin/fake-browser").toUtf8() +
                  " \"--flag=a b\" %U\n");
        for (const char* tool : {"xdg-settings", "xdg-mime"})
            Write(root + "bin/" + tool,
                  "#!/bin/sh\ncat \"$(dirname \"$0\")/" + QByteArray(tool) + ".answer\"\n");
        Answer("fakebrowser.desktop", "fakebrowser.desktop");
        env.insert("PATH", root + "bin:/usr/bin:/bin");
        env.insert("HOME", root);
        env.insert("XDG_DATA_DIRS", root + "empty");
        env.insert("XDG_CONFIG_DIRS", root + "empty");
    }

    // What the two query tools say the default browser is.
    void Answer(const QByteArray& settings, const QByteArray& mime) {
        TestProgram::WriteAll(root + "bin/xdg-settings.answer", settings + "\n");
        TestProgram::WriteAll(root + "bin/xdg-mime.answer", mime + "\n");
    }

    // The addresses given to the fake browser once `count` starts have happened, each after
    // the flag as its own argument. Events are processed while waiting, as the program's own
    // loop would.
    QStringList WaitForLaunches(int count) {
        QStringList files;
        for (int i = 0; i < 400 && files.size() < count; ++i) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            files = QDir(root + "bin").entryList({"launch.*"}, QDir::Files);
        }
        QStringList addresses;
        for (const QString& name : files) {
            const QList<QByteArray> args = TestProgram::ReadAll(root + "bin/" + name).split('\0');
            EXPECT_EQ(args.value(0), "--flag=a b");
            addresses << QString::fromUtf8(args.value(1));
            QFile::remove(root + "bin/" + name);
        }
        return addresses;
    }
};

TEST_F(FakeSession, HostileAddressesArriveWholeAndRunNothing) {
    DesktopBrowser browser(env);
    // Each shell trick would create the file P.
    const QString address =
        QString("https://example.com/a b\"c'd;touch P&touch P|touch P $(touch P) `touch P` > P "
                "%u%%U\\x' \"%F\n-x")
            .replace("P", root + "pwn");
    ASSERT_TRUE(browser.Open(address));
    EXPECT_EQ(WaitForLaunches(1), QStringList{address});
    EXPECT_FALSE(QFileInfo::exists(root + "pwn"));

    // One that looks like an option starts nothing.
    EXPECT_FALSE(browser.Open("--remote-debugging-port=9222"));
}

TEST_F(FakeSession, TheLookupAsksTheSettingsThenTheHttpHandlerAndStartsNothing) {
    const QStringList command = {root + "bin/fake-browser", "--flag=a b", "example.com"};
    const std::pair<QByteArray, QByteArray> answers[] = {
        {"fakebrowser.desktop", "other.desktop"},
        {"", "fakebrowser.desktop"}, // the settings tool does not know this desktop
        {"gone.desktop", "fakebrowser.desktop"},
    };
    for (const auto& [settings, mime] : answers) {
        Answer(settings, mime);
        EXPECT_EQ(DesktopBrowser(env).Command("example.com"), command) << settings.data();
    }
    EXPECT_TRUE(QDir(root + "bin").entryList({"launch.*"}, QDir::Files).isEmpty());
}

TEST_F(FakeSession, AShellWrappingEntryIsPassedOverForXdgOpen) {
    // The default entry runs the browser through a shell with the address in its command
    // string; xdg-open, which takes the address as one argument, is used instead.
    Write(root + ".local/share/applications/fakebrowser.desktop",
          "[Desktop Entry]\nExec=sh -c \"echo %u > " + (root + "shell-ran").toUtf8() + "\"\n");
    Write(root + "bin/xdg-open",
          "#!/bin/sh\nexec " + (root + "bin/fake-browser").toUtf8() + " \"--flag=a b\" \"$@\"\n");
    DesktopBrowser browser(env);
    const QString address = "https://example.com/$(touch P);touch P `touch P`'\"";
    ASSERT_TRUE(browser.Open(QString(address).replace("P", root + "pwn")));
    EXPECT_EQ(WaitForLaunches(1), QStringList{QString(address).replace("P", root + "pwn")});
    EXPECT_FALSE(QFileInfo::exists(root + "pwn"));
    EXPECT_FALSE(QFileInfo::exists(root + "shell-ran"));
}

TEST_F(FakeSession, WithoutAnyBrowserNothingStarts) {
    QFile::remove(root + ".local/share/applications/fakebrowser.desktop");
    env.insert("PATH", root + "empty");
    EXPECT_FALSE(DesktopBrowser(env).Open("example.com"));
}

TEST_F(FakeSession, DesktopFileCommandNeedsAnExistingProgram) {
    const QString bin = root + "my bin/";
    Write(bin + "browse 2", "#!/bin/sh\n");
    env.insert("PATH", bin);
    const std::pair<QByteArray, QStringList> cases[] = {
        // Only the main group's Exec counts; \s is a blank.
        {"Exec = \"browse\\s2\" %u\r\n[Desktop Action n]\nExec=x", {"browse 2", "a b"}},
        {"Exec=\"" + (bin + "browse 2").toUtf8() + "\" %U", {bin + "browse 2", "a b"}},
        {"Exec=no-such-browser %u", {}},
    };
    for (const auto& [entry, command] : cases) {
        Write(root + "b.desktop", "[Desktop Entry]\n" + entry + "\n");
        EXPECT_EQ(CommandFromDesktopFile(root + "b.desktop", "a b", env), command) << entry.data();
    }
}
