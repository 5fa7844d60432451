// The program among the others on the desktop, without a display: the command line and where
// the data lives, one running program per data folder, the default browser's command (so
// that whatever an address holds reaches it as one argument), where the help pages are
// found, and how a control names itself to the quick help.
#include "TestProgram.h"
#include "editor/EditHelp.h"
#include "insertion/BrowserLaunch.h"
#include "platform/DesktopBrowser.h"
#include "storage/DataFolder.h"
#include "storage/OldLayout.h"
#include "storage/SingleInstance.h"
#include "widgets/MouseEnterTracker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include <sys/wait.h>
#include <unistd.h>

using namespace kelpo;
using namespace kelpo::desktop;

namespace {

// The instance and browser code answers through the event loop: an application is needed.
void NeedApplication() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("desktop_test"), nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// Every file written is executable: the scripts need it, the desktop files do not mind.
void Write(const QString& path, const QByteArray& content) {
    TestProgram::WriteAll(path, content);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

TEST(Startup, CommandLineDataFolderAndTheOldLayout) {
    EXPECT_EQ(ParseCommandLine({"kelpo", "--data-dir", "/d x"}, true).dataDir, "/d x");
    for (const QStringList& bad :
         {QStringList{"kelpo", "--data-dir"}, {"kelpo", "--data-dri", "x"}, {"kelpo", "stray"}})
        EXPECT_FALSE(ParseCommandLine(bad, true).error.isEmpty()) << bad.join(' ').toStdString();
    // Before Qt has taken its own options out, they are left alone.
    const CommandLine early = ParseCommandLine({"kelpo", "-platform", "xcb", "--version"}, false);
    EXPECT_TRUE(early.error.isEmpty() && early.version);

    // The argument, then the environment, then a portable installation (the program's
    // folder already holds the data), then the per-user folder.
    TestProgram t;
    const QString root = t.dir.path(), bin = root + "/bin", perUser = root + "/home/Kelpo";
    EXPECT_EQ(ResolveDataFolder("", "", bin, perUser), perUser + "/");
    EXPECT_EQ(ResolveDataFolder("a/../b", "", bin, perUser), QDir::currentPath() + "/b/");
    TestProgram::WriteAll(bin + "/Kelpo.ini", "4.00");
    EXPECT_EQ(ResolveDataFolder("", "", bin + "/", perUser), bin + "/");
    EXPECT_EQ(ResolveDataFolder("", root + "/env", bin, perUser), root + "/env/");
    EXPECT_EQ(ResolveDataFolder(root + "/arg", root + "/env", bin, perUser), root + "/arg/");

    // The old one-folder layout moves into library 1, never over a newer file.
    const QStringList moved = {"Names.dat", "url.dat", "Page1.dat", "Note1.txt", "NOTE12.TXT"};
    const QStringList stay = {"Notes.txt", "Pages.htm", "Libnames.dat", "urls.dat", ".hidden"};
    for (const QString& name : moved + stay)
        TestProgram::WriteAll(t.Path(name), name.toUtf8());
    QFile::setPermissions(t.Path("Page1.dat"), QFileDevice::ReadOwner);
    TestProgram::WriteAll(t.Path("Page3.dat"), "old page");
    TestProgram::WriteAll(t.Path("Lib1/Page3.dat"), "newer page");
    EXPECT_EQ(ConvertOldData(t.program), QStringList{"Page3.dat"});
    for (const QString& name : moved)
        EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib1/" + name)), name.toUtf8()) << qPrintable(name);
    for (const QString& name : stay)
        EXPECT_EQ(TestProgram::ReadAll(t.Path(name)), name.toUtf8()) << qPrintable(name);
    EXPECT_TRUE(QFileInfo(t.Path("Lib1/Page1.dat")).isWritable());
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib1/Page3.dat")), "newer page");
    // Moved, not copied: without "Names.dat" in the data folder there is no old layout.
    EXPECT_TRUE(ConvertOldData(t.program).isEmpty());
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Page3.dat")), "old page");
}

namespace {

struct Folders {
    QTemporaryDir root;
    QString data = root.path() + "/data/", other = root.path() + "/other/";
    QString runtime = root.path() + "/run";
    int shows = 0;
    Folders() {
        NeedApplication();
        for (const QString& path : {data, other, runtime})
            QDir().mkpath(path);
    }
    // A later start's claim, made while this thread serves the first instance as its event
    // loop would; then the first one's window is asked to show.
    SingleInstance::Claim ClaimWhileServing(SingleInstance& first, SingleInstance& later) {
        QObject::connect(&first, &SingleInstance::showRequested, [this] { ++shows; });
        auto claim = std::async(std::launch::async, [&] { return later.ClaimOrNotify(5000); });
        while (claim.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        for (int i = 0; i < 100 && shows == 0; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return claim.get();
    }
};

} // namespace

TEST(SingleInstance, ASecondStartNotifiesTheFirstUnderAnySpellingOfTheFolder) {
    Folders f;
    auto first = std::make_unique<SingleInstance>(f.data, f.runtime);
    ASSERT_EQ(first->ClaimOrNotify(), SingleInstance::Claim::First);
    // The same folder by another spelling: through a link and without the trailing slash.
    ASSERT_TRUE(QFile::link(f.data, f.root.path() + "/link"));
    SingleInstance second(f.root.path() + "/link", f.runtime);
    EXPECT_EQ(f.ClaimWhileServing(*first, second), SingleInstance::Claim::Notified);
    EXPECT_EQ(f.shows, 1);
    // After a clean end the next start is the first again.
    first.reset();
    EXPECT_EQ(SingleInstance(f.data, f.runtime).ClaimOrNotify(), SingleInstance::Claim::First);
}

TEST(SingleInstance, LeftoversOfACrashAndADeepRuntimeFolderDoNotBlockIt) {
    Folders f;
    // A crashed program leaves its lock file, naming a process that has gone, and a
    // socket file nobody listens on.
    if (fork() == 0) {
        (new SingleInstance(f.data, f.runtime))->ClaimOrNotify();
        _exit(0); // no clean-up, as after kill -9
    }
    wait(nullptr);
    SingleInstance next(f.data, f.runtime);
    ASSERT_EQ(next.ClaimOrNotify(1000), SingleInstance::Claim::First);
    // It took the socket over too: a later start reaches it.
    SingleInstance later(f.other + "../data", f.runtime);
    EXPECT_EQ(f.ClaimWhileServing(next, later), SingleInstance::Claim::Notified);
    EXPECT_EQ(f.shows, 1);

    // A runtime folder too deep for a socket name still connects, through a short one of
    // its own for each session.
    Folders g;
    const QString deep = g.runtime + "/" + QString(60, 'r') + "/" + QString(60, 'u');
    ASSERT_TRUE(QDir().mkpath(deep));
    SingleInstance first(g.data, deep), second(g.data, deep);
    ASSERT_EQ(first.ClaimOrNotify(), SingleInstance::Claim::First);
    EXPECT_LT(QFile::encodeName(first.SocketPath()).size(), 108);
    EXPECT_EQ(g.ClaimWhileServing(first, second), SingleInstance::Claim::Notified);
    EXPECT_EQ(g.shows, 1);
    EXPECT_NE(SingleInstance(g.data, deep + "x").SocketPath(), first.SocketPath());
}

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
    // An address a browser could take for an option, or cut short, is never passed.
    EXPECT_FALSE(IsSafeAddress("--remote-debugging-port=9222"));
    EXPECT_FALSE(IsSafeAddress(QString("a") + QChar(0) + "b"));
}

// A temporary desktop session with a browser of its own. Its own xdg-settings and xdg-mime
// answer what `Answer` says, so the machine's desktop settings play no part. (Starting
// the browser on a hostile address, through the real program, is in openentry_test.py.)
struct FakeSession : ::testing::Test {
    QTemporaryDir dir;
    QString root = dir.path() + '/';
    QProcessEnvironment env;

    void SetUp() override {
        NeedApplication();
        Write(root + "bin/fake-browser", "#!/bin/sh\n");
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
};

TEST_F(FakeSession, TheLookupAsksTheSettingsThenTheHttpHandlerAndNeedsAnExistingProgram) {
    const QStringList command = {root + "bin/fake-browser", "--flag=a b", "example.com"};
    const std::pair<QByteArray, QByteArray> answers[] = {
        {"fakebrowser.desktop", "other.desktop"},
        {"", "fakebrowser.desktop"}, // the settings tool does not know this desktop
        {"gone.desktop", "fakebrowser.desktop"}};
    for (const auto& [settings, mime] : answers) {
        Answer(settings, mime);
        EXPECT_EQ(DesktopBrowser(env).Command("example.com"), command) << settings.data();
    }
    // Whatever the address holds, it is one argument of its own.
    const QString hostile = "https://example.com/a b\"c';touch P&$(touch P) `touch P` %u\n-x";
    EXPECT_EQ(DesktopBrowser(env).Command(hostile), (QStringList{command[0], command[1], hostile}));

    const QString bin = root + "my bin/";
    Write(bin + "browse 2", "#!/bin/sh\n");
    env.insert("PATH", bin);
    const std::pair<QByteArray, QStringList> cases[] = {
        // Only the main group's Exec counts; \s is a blank.
        {"Exec = \"browse\\s2\" %u\r\n[Desktop Action n]\nExec=x", {"browse 2", "a b"}},
        {"Exec=\"" + (bin + "browse 2").toUtf8() + "\" %U", {bin + "browse 2", "a b"}},
        {"Exec=no-such-browser %u", {}}};
    for (const auto& [entry, expected] : cases) {
        Write(root + "b.desktop", "[Desktop Entry]\n" + entry + "\n");
        EXPECT_EQ(CommandFromDesktopFile(root + "b.desktop", "a b", env), expected) << entry.data();
    }
}

// (Opening the bookmark and the help page through the real program is in openentry_test.py.)
TEST(HelpPage, FoundBesideTheProgramThenInstalledThenInTheDataFolders) {
    TestProgram t;
    // Beside the program, then installed, then in each system data folder.
    const QString root = t.dir.path() + "/my apps", bin = root + "/bin";
    const QStringList data{root + "/data one", root + "/data two"};
    EXPECT_EQ(FindHelpPage(bin, data), "");
    QDir().mkpath(data[1] + "/kelpo/tutorial/1.htm"); // a folder there is no page
    EXPECT_EQ(FindHelpPage(bin, data), "");
    QDir().rmdir(data[1] + "/kelpo/tutorial/1.htm");
    for (const QString& folder :
         {data[1] + "/kelpo", data[0] + "/kelpo", root + "/share/kelpo", bin}) {
        TestProgram::WriteAll(folder + "/tutorial/1.htm", "<html></html>");
        EXPECT_EQ(FindHelpPage(bin, data),
                  "file://" + QString(folder).replace(" ", "%20") + "/tutorial/1.htm");
    }
}

TEST(QuickHelp, AControlIsKnownByItsNameAndIndex) {
    // A control's description: its name, and the number after it for an array member.
    const std::tuple<const char*, const char*, int, bool> descs[] = {
        {"Pagenames(12)", "Pagenames", 12, true},
        {"NotesText", "NotesText", 0, false},
        {"Odd(3)x", "Odd(3)x", 0, false},
        {"Names(4x)", "Names", 4, true},
        {"Names()", "Names", 0, true},
        {"A(1)(2)", "A", 1, true},
        {"", "", 0, false}};
    for (const auto& [desc, name, index, hasIndex] : descs) {
        const ControlDescParts parts = SplitControlDesc(desc);
        EXPECT_EQ(std::tuple(parts.name, parts.index, parts.hasIndex),
                  std::tuple(QString(name), index, hasIndex))
            << desc;
    }
    // Past the editor's command buttons, or without an index, the panel keeps what it
    // shows. (Which help each control shows is in pagespanels_test.cpp and
    // edittest_test.cpp, under the pointer.)
    for (const char* none : {"Names(13)", "", "Names"})
        EXPECT_FALSE(EditorHelp(none)) << none;
}
