// "Libnames.dat" and "Names.dat": defaults, reading rules, short files and record writes.
#include "TestProgram.h"
#include "storage/Names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

QByteArray NameRecord(const QByteArray& name, quint32 color) {
    QByteArray out = name + QByteArray(30 - name.size(), ' ');
    for (int i = 0; i < 4; ++i)
        out.append(char((color >> (8 * i)) & 0xFF));
    return out;
}

QByteArray Blank(int n) {
    return QByteArray(n, ' ');
}

QByteArray DefaultNamesFile() {
    QByteArray out;
    for (int s = 0; s < 51; ++s)
        out += NameRecord("", 0x00FFFFFF);
    return out;
}

} // namespace

TEST(LoadNames, FirstStartCreatesBothFilesWithTheirDefaults) {
    TestProgram t;
    LoadLibraryNames(t.program);
    LoadNames(t.program);

    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")),
              QByteArray("Library 1    ") + Blank(13 * 18));
    EXPECT_EQ(t.program.LibraryNames[0], "Library 1");
    for (int i = 1; i < 19; ++i)
        EXPECT_EQ(t.program.LibraryNames[i], "") << i;

    const QByteArray names = TestProgram::ReadAll(t.LibraryPath("Names.dat"));
    EXPECT_EQ(names.size(), 1734);
    EXPECT_EQ(names, DefaultNamesFile());
    for (int s = 0; s < 51; ++s) {
        EXPECT_EQ(t.program.SlotNames[s], "");
        EXPECT_EQ(t.program.SlotColors[s], 0x00FFFFFFu);
    }
    // The names file holds entry names; like every data file it is private.
    EXPECT_FALSE(QFileInfo(t.LibraryPath("Names.dat")).permissions() & QFileDevice::ReadOther);
}

TEST(LoadNames, ReadsNamesAndColoursByTheRules) {
    TestProgram t;
    QByteArray file = DefaultNamesFile();
    auto put = [&](int slot, const QByteArray& record) { file.replace(slot * 34, 34, record); };
    put(0, NameRecord("Bank", 0x000000FF));              // trailing blanks go, red
    put(1, NameRecord("  Mail", 0));                     // leading blanks stay, 0 is white
    put(2, NameRecord(QByteArray(30, 'x'), 0x00C0FFEE)); // full width
    put(3, NameRecord("Caf\xE9 \x80uro", 0x01020304));   // Windows-1252, raw colour
    put(50, NameRecord("Test", 0x0000FF00));             // the test slot
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), file);
    LoadNames(t.program);

    EXPECT_EQ(t.program.SlotNames[0], "Bank");
    EXPECT_EQ(t.program.SlotColors[0], 0x000000FFu);
    EXPECT_EQ(t.program.SlotNames[1], "  Mail");
    EXPECT_EQ(t.program.SlotColors[1], 0x00FFFFFFu);
    EXPECT_EQ(t.program.SlotNames[2], QString(30, 'x'));
    EXPECT_EQ(t.program.SlotNames[3], QString::fromUtf8("Café €uro"));
    EXPECT_EQ(t.program.SlotColors[3], 0x01020304u);
    EXPECT_EQ(t.program.SlotNames[50], "Test");
    EXPECT_EQ(t.program.SlotColors[50], 0x0000FF00u);
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), file);
}

TEST(LoadNames, ZeroLengthFilesAreCreatedLikeMissingOnes) {
    TestProgram t;
    TestProgram::WriteAll(t.Path("Libnames.dat"), "");
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), "");
    LoadLibraryNames(t.program);
    LoadNames(t.program);
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")).size(), 247);
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), DefaultNamesFile());
    EXPECT_EQ(t.program.LibraryNames[0], "Library 1");
}

TEST(LoadNames, ShortFilesReadMissingRecordsAsBlankAndWhiteAndStayAsTheyAre) {
    TestProgram t;
    // Two whole records, then half a name and two bytes of a third record's colour.
    const QByteArray names = NameRecord("One", 0x000000FF) + NameRecord("Two", 0x0000FF00) +
                             QByteArray("Thr") + Blank(27) + QByteArray("\x01\x02", 2);
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), names);
    const QByteArray libnames = QByteArray("Home         Wo");
    TestProgram::WriteAll(t.Path("Libnames.dat"), libnames);
    // Stale values from another library must not survive.
    t.program.SlotNames[40] = "stale";
    t.program.SlotColors[40] = 0x123456;

    LoadNames(t.program);
    LoadLibraryNames(t.program);
    EXPECT_EQ(t.program.SlotNames[1], "Two");
    EXPECT_EQ(t.program.SlotColors[1], 0x0000FF00u);
    EXPECT_EQ(t.program.SlotNames[2], "Thr");
    EXPECT_EQ(t.program.SlotColors[2], 0x00FFFFFFu);
    EXPECT_EQ(t.program.SlotNames[40], "");
    EXPECT_EQ(t.program.SlotColors[40], 0x00FFFFFFu);
    EXPECT_EQ(t.program.LibraryNames[0], "Home");
    EXPECT_EQ(t.program.LibraryNames[1], "Wo");
    EXPECT_EQ(t.program.LibraryNames[2], "");
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), names);
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")), libnames);
}

TEST(LoadNames, CreatesOnlyTheLibraryFolderItself) {
    TestProgram t;
    t.program.LibraryFolder = t.Path("Lib7/");
    LoadNames(t.program);
    EXPECT_TRUE(QFileInfo::exists(t.Path("Lib7/Names.dat")));

    // The program folder must exist already; without it nothing is created and the
    // slots read blank.
    t.program.LibraryFolder = t.Path("missing/Lib1/");
    t.program.SlotNames[0] = "old";
    int reports = 0;
    t.program.onWriteFailed = [&](const QString&) { ++reports; };
    LoadNames(t.program);
    EXPECT_FALSE(QFileInfo::exists(t.Path("missing")));
    EXPECT_EQ(t.program.SlotNames[0], "");
    EXPECT_EQ(reports, 1);
}

TEST(RecordWrites, WriteInPlaceAndReload) {
    TestProgram t;
    LoadLibraryNames(t.program);
    LoadNames(t.program);
    const QByteArray before = TestProgram::ReadAll(t.LibraryPath("Names.dat"));

    ASSERT_TRUE(WriteSlotName(t.program, 7, "Bank", 0x000000FF));
    EXPECT_EQ(t.program.SlotNames[7], "Bank");
    EXPECT_EQ(t.program.SlotColors[7], 0x000000FFu);
    QByteArray expected = before;
    expected.replace(7 * 34, 34, NameRecord("Bank", 0x000000FF));
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), expected);

    // A name longer than its field is cut rather than spilling into slot 8.
    ASSERT_TRUE(WriteSlotName(t.program, 7, QString(35, 'y'), 0x00AABBCC));
    expected.replace(7 * 34, 34, NameRecord(QByteArray(30, 'y'), 0x00AABBCC));
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), expected);

    ASSERT_TRUE(EraseSlotName(t.program, 7));
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), before);
    EXPECT_EQ(t.program.SlotNames[7], "");

    ASSERT_TRUE(WriteLibraryName(t.program, 4, "Thirteen char"));
    ASSERT_TRUE(WriteLibraryName(t.program, 5, "Much too long a name"));
    const QByteArray libnames = TestProgram::ReadAll(t.Path("Libnames.dat"));
    EXPECT_EQ(libnames.size(), 247);
    EXPECT_EQ(libnames.mid(4 * 13, 26), QByteArray("Thirteen charMuch too long"));
    EXPECT_EQ(t.program.LibraryNames[4], "Thirteen char");
    ASSERT_TRUE(EraseLibraryName(t.program, 0));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")).left(13), Blank(13));
    EXPECT_EQ(t.program.LibraryNames[0], "");

    EXPECT_FALSE(WriteSlotName(t.program, 51, "x", 0));
    EXPECT_FALSE(WriteLibraryName(t.program, 19, "x"));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")).size(), 247);
}

TEST(RecordWrites, OtherLibraryAndMissingOrShortFilesGetDefaultsAroundTheRecord) {
    TestProgram t;
    // Another library's folder that does not exist yet.
    const QString other = t.Path("Lib3/");
    ASSERT_TRUE(WriteNameRecord(t.program, other, 5, "Moved", 0x00808080));
    QByteArray expected = DefaultNamesFile();
    expected.replace(5 * 34, 34, NameRecord("Moved", 0x00808080));
    EXPECT_EQ(TestProgram::ReadAll(other + "Names.dat"), expected);
    // Writing elsewhere leaves the current tables alone.
    EXPECT_EQ(t.program.SlotNames[5], "");

    // A short file is filled with blank records up to the one written, never zeros.
    const QByteArray shortFile = NameRecord("A", 0x0000FF00) + QByteArray("B");
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), shortFile);
    ASSERT_TRUE(WriteSlotName(t.program, 3, "D", 0x00FF0000));
    const QByteArray after = TestProgram::ReadAll(t.LibraryPath("Names.dat"));
    EXPECT_EQ(after,
              shortFile + DefaultNamesFile().mid(35, 3 * 34 - 35) + NameRecord("D", 0x00FF0000));
    EXPECT_EQ(t.program.SlotNames[1], "B");
    EXPECT_EQ(t.program.SlotColors[1], 0x00FFFFFFu);
    EXPECT_EQ(t.program.SlotNames[2], "");
    EXPECT_EQ(t.program.SlotNames[3], "D");

    ASSERT_TRUE(WriteLibraryNameRecord(t.program, 2, "Work"));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")),
              QByteArray("Library 1    ") + Blank(13) + "Work         " + Blank(13 * 16));
}

TEST(RecordWrites, UnwritableFolderIsReportedOnceAndNothingIsLost) {
    TestProgram t;
    LoadNames(t.program);
    const QByteArray before = TestProgram::ReadAll(t.LibraryPath("Names.dat"));
    QStringList reported;
    t.program.onWriteFailed = [&](const QString& path) { reported.append(path); };

    // A full disk: the write fails, the message comes once, the file is unchanged.
    QFile::remove(t.Path("Libnames.dat"));
    ASSERT_TRUE(QFile::link("/dev/full", t.Path("Libnames.dat")));
    EXPECT_FALSE(WriteLibraryName(t.program, 1, "Work"));
    EXPECT_FALSE(WriteLibraryName(t.program, 2, "Home"));
    EXPECT_EQ(reported.size(), 1);
    EXPECT_EQ(t.program.LibraryNames[0], "Library 1");

    TestProgram::WriteAll(t.Path("plain"), "x");
    EXPECT_FALSE(WriteNameRecord(t.program, t.Path("plain/"), 0, "x", 0));
    EXPECT_EQ(reported.size(), 1);
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), before);
}
