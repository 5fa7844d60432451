// The command line, where the data lives, and moving data of the old one-folder layout.
#include "TestProgram.h"
#include "storage/DataFolder.h"
#include "storage/OldLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kelpo;

TEST(CommandLine, ReadsOurOptionsAndRejectsOthersWhenStrict) {
    EXPECT_EQ(ParseCommandLine({"kelpo", "--data-dir", "/d x"}, true).dataDir, "/d x");
    EXPECT_EQ(ParseCommandLine({"kelpo", "--data-dir=rel"}, true).dataDir, "rel");
    EXPECT_TRUE(ParseCommandLine({"kelpo", "-v"}, true).version);
    EXPECT_TRUE(ParseCommandLine({"kelpo"}, true).error.isEmpty());
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
    QDir().mkpath(program);

    EXPECT_EQ(ResolveDataFolder(root + "/arg", root + "/env", program, perUser), root + "/arg/");
    EXPECT_EQ(ResolveDataFolder("", root + "/env/", program, perUser), root + "/env/");
    EXPECT_EQ(ResolveDataFolder("", "", program, perUser), perUser + "/");

    EXPECT_EQ(ResolveDataFolder("a/../b", "", program, perUser), QDir::currentPath() + "/b/");

    // A portable installation: the program's folder already holds the data.
    TestProgram::WriteAll(program + "/Kelpo.ini", "4.00");
    EXPECT_EQ(ResolveDataFolder("", "", program + "/", perUser), program + "/");
    // The argument and the environment still win over it.
    EXPECT_EQ(ResolveDataFolder("", root + "/env", program, perUser), root + "/env/");

    EXPECT_TRUE(MakeDataFolder(perUser + "/"));
    TestProgram::WriteAll(root + "/file", "x");
    EXPECT_FALSE(MakeDataFolder(root + "/file/sub/"));
}

TEST(ConvertOldData, MovesTheOldFilesIntoLibraryOne) {
    TestProgram t;
    const QStringList moved = {"Names.dat", "url.dat",   "Page1.dat",
                               "Page1.h",   "Note1.txt", "NOTE12.TXT"};
    const QStringList stay = {"Notes.txt", "Pages.htm",  "Kelpo.ini", "Libnames.dat",
                              "urls.dat",  "readme.txt", ".hidden"};
    for (const QString& name : moved + stay)
        TestProgram::WriteAll(t.Path(name), name.toUtf8());
    QFile::setPermissions(t.Path("Page1.dat"), QFileDevice::ReadOwner);

    EXPECT_TRUE(ConvertOldData(t.program).isEmpty());

    for (const QString& name : moved) {
        EXPECT_FALSE(QFileInfo::exists(t.Path(name))) << name.toStdString();
        EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib1/" + name)), name.toUtf8())
            << name.toStdString();
    }
    for (const QString& name : stay)
        EXPECT_EQ(TestProgram::ReadAll(t.Path(name)), name.toUtf8()) << name.toStdString();
    EXPECT_TRUE(QFileInfo(t.Path("Lib1/Page1.dat")).isWritable());
}

TEST(ConvertOldData, NeverOverwritesAFileLibraryOneAlreadyHolds) {
    TestProgram t;
    TestProgram::WriteAll(t.Path("Names.dat"), "old names");
    TestProgram::WriteAll(t.Path("Page3.dat"), "old page");
    TestProgram::WriteAll(t.Path("Lib1/Page3.dat"), "newer page");

    EXPECT_EQ(ConvertOldData(t.program), QStringList{"Page3.dat"});
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib1/Page3.dat")), "newer page");
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Page3.dat")), "old page");
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib1/Names.dat")), "old names");

    // Without "Names.dat" in the data folder there is no old layout: nothing moves.
    EXPECT_TRUE(ConvertOldData(t.program).isEmpty());
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Page3.dat")), "old page");
}
