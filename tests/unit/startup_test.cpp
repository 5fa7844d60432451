// The command line, where the data lives, and moving data of the old one-folder layout.
#include "TestProgram.h"
#include "mainwindow/ScreenResForm.h"
#include "storage/DataFolder.h"
#include "storage/OldLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kelpo;

TEST(CommandLine, ReadsOurOptionsAndRejectsOthersWhenStrict) {
    EXPECT_EQ(ParseCommandLine({"kelpo", "--data-dir", "/d x"}, true).dataDir, "/d x");
    for (const QStringList& bad :
         {QStringList{"kelpo", "--data-dir"}, {"kelpo", "--data-dri", "x"}, {"kelpo", "stray"}})
        EXPECT_FALSE(ParseCommandLine(bad, true).error.isEmpty()) << bad.join(' ').toStdString();
    // Before Qt has taken its own options out, they are left alone.
    const CommandLine early = ParseCommandLine({"kelpo", "-platform", "xcb", "--version"}, false);
    EXPECT_TRUE(early.error.isEmpty());
    EXPECT_TRUE(early.version);
}

TEST(DataFolder, ArgumentThenEnvironmentThenPortableThenPerUser) {
    QTemporaryDir dir;
    const QString root = dir.path();
    const QString program = root + "/bin";
    const QString perUser = root + "/home/.local/share/Kelpo/Kelpo";

    EXPECT_EQ(ResolveDataFolder(root + "/arg", root + "/env", program, perUser), root + "/arg/");
    EXPECT_EQ(ResolveDataFolder("", "", program, perUser), perUser + "/");
    EXPECT_EQ(ResolveDataFolder("a/../b", "", program, perUser), QDir::currentPath() + "/b/");

    // A portable installation: the program's folder already holds the data. The argument
    // and the environment still win over it.
    TestProgram::WriteAll(program + "/Kelpo.ini", "4.00");
    EXPECT_EQ(ResolveDataFolder("", "", program + "/", perUser), program + "/");
    EXPECT_EQ(ResolveDataFolder("", root + "/env", program, perUser), root + "/env/");
}

TEST(ConvertOldData, MovesTheOldFilesIntoLibraryOneButNeverOverwrites) {
    TestProgram t;
    const QStringList moved = {"Names.dat", "url.dat",   "Page1.dat",
                               "Page1.h",   "Note1.txt", "NOTE12.TXT"};
    const QStringList stay = {"Notes.txt", "Pages.htm",  "Kelpo.ini", "Libnames.dat",
                              "urls.dat",  "readme.txt", ".hidden"};
    for (const QString& name : moved + stay)
        TestProgram::WriteAll(t.Path(name), name.toUtf8());
    QFile::setPermissions(t.Path("Page1.dat"), QFileDevice::ReadOwner);
    // Library 1 already holds a newer page 3: the old one stays where it is.
    TestProgram::WriteAll(t.Path("Page3.dat"), "old page");
    TestProgram::WriteAll(t.Path("Lib1/Page3.dat"), "newer page");

    EXPECT_EQ(ConvertOldData(t.program), QStringList{"Page3.dat"});
    for (const QString& name : moved)
        EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib1/" + name)), name.toUtf8())
            << name.toStdString();
    for (const QString& name : stay)
        EXPECT_EQ(TestProgram::ReadAll(t.Path(name)), name.toUtf8()) << name.toStdString();
    EXPECT_TRUE(QFileInfo(t.Path("Lib1/Page1.dat")).isWritable());
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib1/Page3.dat")), "newer page");
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Page3.dat")), "old page");

    // Moved, not copied: without "Names.dat" in the data folder there is no old layout.
    EXPECT_TRUE(ConvertOldData(t.program).isEmpty());
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Page3.dat")), "old page");
}

TEST(ScreenNotice, NamesTheDisplaySettingsOfTheDesktopInUse) {
    const struct {
        const char* desktop;
        const char* place;
    } cases[] = {
        {"GNOME", "Settings > Displays"},
        {"ubuntu:GNOME", "Settings > Displays"},
        {"KDE", "System Settings > Display Configuration"},
        {"XFCE", "Settings Manager > Display"},
        {"xfce", "Settings Manager > Display"},
        {"X-Cinnamon", "your desktop's display settings"},
        {"", "your desktop's display settings"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplaySettingsPlace(c.desktop), QString(c.place)) << c.desktop;
}
