// The shared file rules: Windows-1252 text and positional, never-truncating data files.
#include "TestProgram.h"
#include "core/Ansi.h"
#include "storage/DataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

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

TEST(DataFile, WholeFileIsReplacedByANewFileOrNotAtAll) {
    TestProgram t;
    const QString path = t.Path("Page3.dat");
    const QString link = t.Path("old-link");
    TestProgram::WriteAll(path, "old contents");
    // A second name for the old file: an in-place write would change it too.
    ASSERT_EQ(::link(qPrintable(path), qPrintable(link)), 0);
    ASSERT_TRUE(ReplaceWholeFile(path, "new"));
    EXPECT_EQ(TestProgram::ReadAll(path), "new");
    EXPECT_EQ(TestProgram::ReadAll(link), "old contents");
    EXPECT_EQ(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions());

    // A target that cannot be replaced (a folder holding a file) stays as it was.
    const QString blocked = t.Path("Page4.dat");
    QDir().mkpath(blocked);
    TestProgram::WriteAll(blocked + "/keep", "k");
    EXPECT_FALSE(ReplaceWholeFile(blocked, "new"));
    EXPECT_EQ(TestProgram::ReadAll(blocked + "/keep"), "k");
    EXPECT_FALSE(ReplaceWholeFile(t.Path("no-such-folder/Page5.dat"), "new"));

    // No temporary file is left behind either way.
    EXPECT_EQ(
        QDir(t.Path("")).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
        QStringList({"Page3.dat", "old-link"}));
}
