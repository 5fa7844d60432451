// The shared file rules: Windows-1252 text and positional, never-truncating data files.
#include "TestProgram.h"
#include "core/Ansi.h"
#include "storage/DataFile.h"
#include "storage/DataFolder.h"
#include "storage/Names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kelpo;

TEST(Ansi, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
}

TEST(Ansi, MapsTheWindowsCharactersAndReplacesOthers) {
    EXPECT_EQ(ToAnsi(QString::fromUtf8("€ŠœŸ")), QByteArray("\x80\x8A\x9C\x9F"));
    EXPECT_EQ(FromAnsi(QByteArray("\xE9\xDF")), QString::fromUtf8("éß"));
    EXPECT_EQ(ToAnsi(QString::fromUtf8("a☃b")), QByteArray("a?b"));
    EXPECT_FALSE(IsAnsiText(QString::fromUtf8("Ω")));
    EXPECT_TRUE(IsAnsiText(QString::fromUtf8("Ærø ß €")));
}

TEST(DataFile, CreatesPrivateFileAndNeverTruncates) {
    TestProgram t;
    const QString path = t.Path("x.dat");
    {
        DataFile file(path);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.Length(), 0);
        EXPECT_TRUE(file.WriteAt(0, "0123456789"));
    }
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions());
    {
        DataFile file(path);
        EXPECT_TRUE(file.WriteAt(2, "ab"));
        EXPECT_TRUE(file.WriteAt(12, "Z"));
    }
    EXPECT_EQ(TestProgram::ReadAll(path), QByteArray("01ab456789\0\0Z", 13));
}

TEST(DataFile, ReadOnlyFileIsMadeWritableAndShortReadsPad) {
    TestProgram t;
    const QString path = t.Path("ro.dat");
    TestProgram::WriteAll(path, "abc");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    DataFile file(path);
    EXPECT_TRUE(file.WriteAt(3, "d"));
    EXPECT_EQ(file.ReadPadded(2, 5), QByteArray("cd   "));
    EXPECT_EQ(file.ReadAt(10, 5), QByteArray());
    EXPECT_EQ(TrimRight("  a b  "), QByteArray("  a b"));
    EXPECT_EQ(PadRight("ab", 4), QByteArray("ab  "));
}

namespace {

mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST(DataFile, NeverWritesOrChangesAFileOutsideThroughALink) {
    TestProgram t;
    const QString outside = t.dir.path() + "/elsewhere/";
    ASSERT_TRUE(QDir().mkpath(outside));
    const struct {
        const char* name;
        mode_t mode; // 0: the link points nowhere
    } links[] = {{"Kelpo.ini", 0444}, {"Page3.dat", 0666}, {"Names.dat", 0}};
    for (const auto& link : links) {
        const QString target = outside + link.name;
        if (link.mode) {
            TestProgram::WriteAll(target, "outside text, not ours");
            ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), link.mode), 0);
        }
        ASSERT_TRUE(QFile::link(target, t.Path(link.name)));
        {
            DataFile file(t.Path(link.name));
            EXPECT_FALSE(file.WriteAt(0, "secret")) << link.name;
            // What the link shows is still read: nothing the user had is hidden.
            EXPECT_EQ(file.ReadAt(0, 7), link.mode ? QByteArray("outside") : QByteArray());
        }
        EXPECT_EQ(ModeOf(target), link.mode) << link.name;
        EXPECT_EQ(TestProgram::ReadAll(target),
                  link.mode ? QByteArray("outside text, not ours") : QByteArray())
            << link.name;
    }
}

TEST(DataFile, NewFilesAreTheUsersAloneAndWiderOnesAreNarrowed) {
    TestProgram t;
    const mode_t oldMask = ::umask(0);
    { DataFile created(t.Path("new.dat")); }
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(t.Path("new.dat")), 0600u);

    TestProgram::WriteAll(t.Path("Page1.dat"), "scrambled");
    ASSERT_EQ(::chmod(QFile::encodeName(t.Path("Page1.dat")).constData(), 0664), 0);
    { DataFile found(t.Path("Page1.dat")); }
    EXPECT_EQ(ModeOf(t.Path("Page1.dat")), 0600u);
}

TEST(DataFolder, ThePerUserFolderAndItsLibrariesAreTheUsersAlone) {
    QTemporaryDir dir;
    const QString perUser = dir.path() + "/share/Kelpo";
    const QString chosen = dir.path() + "/chosen/";
    const mode_t oldMask = ::umask(0022);
    EXPECT_TRUE(MakeDataFolder(perUser + "/", perUser));
    EXPECT_TRUE(MakeDataFolder(chosen, perUser));
    EXPECT_EQ(ModeOf(perUser), 0700u);
    EXPECT_EQ(ModeOf(chosen), 0755u); // a folder the user chose keeps its rights
    EXPECT_EQ(ModeOf(dir.path() + "/share"), 0755u);

    // Found wider, it is narrowed.
    ASSERT_EQ(::chmod(QFile::encodeName(perUser).constData(), 0775), 0);
    EXPECT_TRUE(MakeDataFolder(perUser + "/", perUser));
    EXPECT_EQ(ModeOf(perUser), 0700u);

    TestProgram t;
    t.program.ProgramFolder = perUser + "/";
    t.program.LibraryFolder = perUser + "/Lib1/";
    LoadNames(t.program);
    EXPECT_TRUE(WriteNameRecord(t.program, perUser + "/Lib7/", 3, "Bank", 1));
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(perUser + "/Lib1"), 0700u);
    EXPECT_EQ(ModeOf(perUser + "/Lib7"), 0700u);
}
