// Finding the default browser from desktop files, and starting it so that whatever the
// address holds reaches it as one argument and runs nothing.
#include "platform/DesktopBrowser.h"
#include "platform/DesktopSound.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace kelpo;
using namespace kelpo::desktop;

namespace {

void Write(const QString& path, const QByteArray& content, bool executable = false) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

} // namespace

TEST(DesktopExec, SplitsByTheDesktopEntryQuotingRules) {
    EXPECT_EQ(SplitExec("firefox  %u"), (QStringList{"firefox", "%u"}));
    EXPECT_EQ(SplitExec("\t/usr/bin/browser\t--new-window %U "),
              (QStringList{"/usr/bin/browser", "--new-window", "%U"}));
    EXPECT_EQ(SplitExec(R"("/opt/My Browser/run" "--a=\"b\" \$HOME \` \\" %U)"),
              (QStringList{"/opt/My Browser/run", R"(--a="b" $HOME ` \)", "%U"}));
    // Adjacent quoted and plain parts make one argument; single quotes and a backslash
    // outside quotes as a shell takes them.
    EXPECT_EQ(SplitExec(R"(run --x="a b"c 'it''s' a\ b "")"),
              (QStringList{"run", "--x=a bc", "its", "a b", ""}));
    EXPECT_FALSE(SplitExec(R"("/opt/browser %u)").has_value());
    EXPECT_FALSE(SplitExec("run 'open").has_value());
    EXPECT_EQ(SplitExec("   "), QStringList());
}

TEST(DesktopExec, ReadsExecFromTheDesktopEntryGroup) {
    const QByteArray file = "# comment\n"
                            "[Desktop Action new-window]\n"
                            "Exec=wrong --new-window\n"
                            "\n"
                            "[Desktop Entry]\r\n"
                            "Name=Browser\n"
                            "Exec[de]=falsch\n"
                            "  Exec = \"/opt/a\\sb/run\" \"--p=\\\\$x\" --t=\\t %U  \r\n"
                            "TryExec=run\n";
    // \s is a blank, \\ a backslash (left for the quoting rules), \t a tab.
    EXPECT_EQ(DesktopEntryExec(file), "\"/opt/a b/run\" \"--p=\\$x\" --t=\t %U");
    EXPECT_EQ(SplitExec(DesktopEntryExec(file)),
              (QStringList{"/opt/a b/run", "--p=$x", "--t=", "%U"}));
    EXPECT_EQ(DesktopEntryValue(file, "TryExec"), "run");
    EXPECT_EQ(DesktopEntryExec("[Desktop Action x]\nExec=a\n"), "");
}

TEST(DesktopExec, FieldCodesTakeTheAddressOnceAndOthersAreDropped) {
    const QString address = "https://example.com/?q=%u&x=%%";
    EXPECT_EQ(ExpandExec({"browser", "%U"}, address), (QStringList{"browser", address}));
    EXPECT_EQ(ExpandExec({"browser", "%f"}, address), (QStringList{"browser", address}));
    EXPECT_EQ(ExpandExec({"browser", "--app=%u", "%U"}, address),
              (QStringList{"browser", "--app=" + address}));
    EXPECT_EQ(ExpandExec({"browser", "%i", "--name=%c%k", "%d", "--x", "100%%", "%F"}, address),
              (QStringList{"browser", "--name=", "--x", "100%", address}));
    // No file code: the address goes last.
    EXPECT_EQ(ExpandExec({"browser", "--private"}, address),
              (QStringList{"browser", "--private", address}));
    EXPECT_EQ(ExpandExec({"browser", "50%"}, "a"), (QStringList{"browser", "50%", "a"}));
}

TEST(DesktopExec, RefusesAddressesThatCouldBeOptions) {
    EXPECT_TRUE(IsSafeAddress("www.example.com"));
    EXPECT_TRUE(IsSafeAddress(" -x")); // a leading blank: no option parser takes it
    EXPECT_FALSE(IsSafeAddress("-x"));
    EXPECT_FALSE(IsSafeAddress("--user-data-dir=/tmp/evil"));
    EXPECT_FALSE(IsSafeAddress(""));
    EXPECT_FALSE(IsSafeAddress(QString("a") + QChar(0) + "b"));
}

TEST(DesktopFiles, FoundInTheDataFoldersInOrder) {
    QTemporaryDir dir;
    const QString home = dir.path() + "/home/";
    const QString sys = dir.path() + "/sys/";
    Write(sys + "applications/web.desktop", "[Desktop Entry]\nExec=sys\n");
    Write(sys + "applications/kde4/konq.desktop", "[Desktop Entry]\nExec=konq\n");
    const QStringList dirs{home, sys};
    EXPECT_EQ(FindDesktopFile("web.desktop", dirs), sys + "applications/web.desktop");
    Write(home + "applications/web.desktop", "[Desktop Entry]\nExec=home\n");
    EXPECT_EQ(FindDesktopFile("web.desktop", dirs), home + "applications/web.desktop");
    EXPECT_EQ(FindDesktopFile("kde4-konq.desktop", dirs), sys + "applications/kde4/konq.desktop");
    EXPECT_EQ(FindDesktopFile("missing.desktop", dirs), "");
    EXPECT_EQ(FindDesktopFile("../web.desktop", dirs), "");
    EXPECT_EQ(FindDesktopFile("web", dirs), "");

    QProcessEnvironment env;
    env.insert("HOME", "/h");
    EXPECT_EQ(DataDirs(env), (QStringList{"/h/.local/share/", "/usr/local/share/", "/usr/share/"}));
    env.insert("XDG_DATA_HOME", "/d");
    env.insert("XDG_DATA_DIRS", "/a::/b/");
    EXPECT_EQ(DataDirs(env), (QStringList{"/d/", "/a/", "/b/"}));
}

TEST(DesktopFiles, CommandNeedsAnExistingProgram) {
    QTemporaryDir dir;
    const QString bin = dir.path() + "/my bin/";
    Write(bin + "browse", "#!/bin/sh\n", true);
    QProcessEnvironment env;
    env.insert("PATH", bin);
    const QString apps = dir.path() + "/applications/";
    Write(apps + "ok.desktop", "[Desktop Entry]\nExec=browse --new-window %u\n");
    Write(apps + "quoted.desktop",
          "[Desktop Entry]\nExec=\"" + (bin + "browse").toUtf8() + "\" %U\n");
    Write(apps + "gone.desktop", "[Desktop Entry]\nExec=no-such-browser %u\n");
    Write(apps + "tryexec.desktop", "[Desktop Entry]\nTryExec=nothing-here\nExec=browse %u\n");
    Write(apps + "broken.desktop", "[Desktop Entry]\nExec=\"browse %u\n");
    Write(apps + "noexec.desktop", "[Desktop Entry]\nName=x\n");

    EXPECT_EQ(CommandFromDesktopFile(apps + "ok.desktop", "a b", env),
              (QStringList{"browse", "--new-window", "a b"}));
    EXPECT_EQ(CommandFromDesktopFile(apps + "quoted.desktop", "u", env),
              (QStringList{bin + "browse", "u"}));
    EXPECT_EQ(CommandFromDesktopFile(apps + "gone.desktop", "u", env), QStringList());
    EXPECT_EQ(CommandFromDesktopFile(apps + "tryexec.desktop", "u", env), QStringList());
    EXPECT_EQ(CommandFromDesktopFile(apps + "broken.desktop", "u", env), QStringList());
    EXPECT_EQ(CommandFromDesktopFile(apps + "noexec.desktop", "u", env), QStringList());
    EXPECT_EQ(CommandFromDesktopFile(apps + "missing.desktop", "u", env), QStringList());
    EXPECT_EQ(CommandFromDesktopFile("", "u", env), QStringList());
}

// A temporary desktop session whose default browser is a script that records the
// arguments of each start in a file of its own.
struct FakeSession : ::testing::Test {
    QTemporaryDir dir;
    QString root;
    QProcessEnvironment env;

    void SetUp() override {
        // The lookup runs in the background: it needs an application and its event loop.
        static int argc = 1;
        static char name[] = "browser_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        root = dir.path() + '/';
        Write(root + "bin/fake-browser",
              "#!/bin/sh\n"
              "d=$(dirname \"$0\")\n"
              "printf '%s\\0' \"$@\" > \"$d/tmp.$$\" && mv \"$d/tmp.$$\" \"$d/launch.$$\"\n",
              true);
        Write(root + "data/applications/fakebrowser.desktop",
              "[Desktop Entry]\nType=Application\nName=Fake\nExec=" +
                  (root + "bin/fake-browser").toUtf8() + " \"--flag=a b\" %U\n");
        Write(root + "config/mimeapps.list", "[Default Applications]\n"
                                             "x-scheme-handler/http=fakebrowser.desktop\n"
                                             "x-scheme-handler/https=fakebrowser.desktop\n"
                                             "text/html=fakebrowser.desktop\n");
        QDir().mkpath(root + "empty");
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", root);
        env.insert("XDG_DATA_HOME", root + "data");
        env.insert("XDG_CONFIG_HOME", root + "config");
        env.insert("XDG_DATA_DIRS", root + "empty");
        env.insert("XDG_CONFIG_DIRS", root + "empty");
    }

    // The argument lists of the starts of the fake browser, once `count` of them have
    // happened (sorted, since the starts run side by side). Events are processed while
    // waiting, as the program's own loop would.
    QList<QStringList> WaitForLaunches(int count) {
        QStringList files;
        for (int i = 0; i < 400; ++i) {
            QCoreApplication::processEvents();
            files = QDir(root + "bin").entryList({"launch.*"}, QDir::Files);
            if (files.size() >= count)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        QList<QStringList> launches;
        for (const QString& name : files) {
            QFile file(root + "bin/" + name);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            QStringList args;
            for (const QByteArray& a : file.readAll().split('\0'))
                args << QString::fromUtf8(a);
            args.removeLast(); // after the last separator
            launches << args;
            file.remove();
        }
        std::sort(launches.begin(), launches.end());
        return launches;
    }
};

TEST_F(FakeSession, HostileAddressesArriveWholeAndRunNothing) {
    DesktopBrowser browser(env);
    const QString pwn = root + "pwn";
    const QStringList addresses{
        "https://example.com/a b\"c'd;touch " + pwn + "1&touch " + pwn + "2|touch " + pwn +
            "3 $(touch " + pwn + "4) `touch " + pwn + "5` > " + pwn + "6",
        "www.example.com/%u%%U\\x' \"%F\n-x",
    };
    for (const QString& address : addresses) {
        EXPECT_EQ(browser.Command(address),
                  (QStringList{root + "bin/fake-browser", "--flag=a b", address}));
        ASSERT_TRUE(browser.Open(address));
        EXPECT_EQ(WaitForLaunches(1), (QList<QStringList>{{"--flag=a b", address}}));
    }
    for (int i = 1; i <= 6; ++i)
        EXPECT_FALSE(QFileInfo::exists(pwn + QString::number(i))) << i;
}

TEST_F(FakeSession, AddressesAskedForDuringALookupAllOpen) {
    DesktopBrowser browser(env);
    ASSERT_TRUE(browser.Open("one.example"));
    ASSERT_TRUE(browser.Open("two.example"));
    EXPECT_EQ(WaitForLaunches(2),
              (QList<QStringList>{{"--flag=a b", "one.example"}, {"--flag=a b", "two.example"}}));
    // And the next lookup starts afresh.
    ASSERT_TRUE(browser.Open("three.example"));
    EXPECT_EQ(WaitForLaunches(1), (QList<QStringList>{{"--flag=a b", "three.example"}}));
}

TEST_F(FakeSession, AnAddressThatLooksLikeAnOptionStartsNothing) {
    DesktopBrowser browser(env);
    EXPECT_EQ(browser.Command("--remote-debugging-port=9222"), QStringList());
    EXPECT_FALSE(browser.Open("--remote-debugging-port=9222"));
    EXPECT_FALSE(browser.Open(""));
    // Nothing was started: a real launch afterwards is the only one the script sees.
    ASSERT_TRUE(browser.Open("ok"));
    EXPECT_EQ(WaitForLaunches(1), (QList<QStringList>{{"--flag=a b", "ok"}}));
}

TEST_F(FakeSession, FallsBackToXdgOpenAndThenToNothing) {
    // The registered desktop file has gone.
    QFile::remove(root + "data/applications/fakebrowser.desktop");
    DesktopBrowser withXdgOpen(env);
    const QStringList command = withXdgOpen.Command("example.com");
    ASSERT_EQ(command.size(), 2);
    EXPECT_TRUE(command[0].endsWith("/xdg-open"));
    EXPECT_EQ(command[1], "example.com");

    // No xdg tools at all: nothing happens, and Open says so.
    env.insert("PATH", root + "empty");
    DesktopBrowser without(env);
    EXPECT_EQ(without.Command("example.com"), QStringList());
    EXPECT_FALSE(without.Open("example.com"));
}

TEST_F(FakeSession, ABrowserGoneWhileLookingIsNoHarm) {
    // The object goes away with its lookup under way: nothing is left running or called.
    {
        DesktopBrowser browser(env);
        ASSERT_TRUE(browser.Open("gone.example"));
    }
    for (int i = 0; i < 40; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_TRUE(WaitForLaunches(0).isEmpty());
}

TEST(DesktopSoundChoice, PrefersTheThemePlayerThenAFileThenNothing) {
    QStringList programs;
    QStringList files;
    auto find = [&](const QString& p) {
        return programs.contains(p) ? "/usr/bin/" + p : QString();
    };
    auto exists = [&](const QString& f) { return files.contains(f); };
    const QStringList dirs{"/home/u/.local/share/", "/usr/share/"};

    EXPECT_EQ(sound::SoundCommand(find, exists, dirs), QStringList());
    programs << "paplay";
    EXPECT_EQ(sound::SoundCommand(find, exists, dirs), QStringList()); // a player, no sound
    files << "/usr/share/sounds/freedesktop/stereo/bell.oga";
    EXPECT_EQ(sound::SoundCommand(find, exists, dirs),
              (QStringList{"/usr/bin/paplay", "/usr/share/sounds/freedesktop/stereo/bell.oga"}));
    files << "/home/u/.local/share/sounds/freedesktop/stereo/dialog-information.oga";
    EXPECT_EQ(sound::SoundCommand(find, exists, dirs).value(1),
              "/home/u/.local/share/sounds/freedesktop/stereo/dialog-information.oga");
    programs = QStringList{"pw-play"};
    EXPECT_EQ(sound::SoundCommand(find, exists, dirs).value(0), "/usr/bin/pw-play");
    programs << "canberra-gtk-play";
    EXPECT_EQ(sound::SoundCommand(find, exists, dirs),
              (QStringList{"/usr/bin/canberra-gtk-play", "--id=dialog-information",
                           "--description=Kelpo"}));
}
