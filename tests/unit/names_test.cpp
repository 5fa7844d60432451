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
    QByteArray out = name.leftJustified(30, ' ');
    for (int i = 0; i < 4; ++i)
        out.append(char((color >> (8 * i)) & 0xFF));
    return out;
}

QByteArray DefaultNamesFile() {
    QByteArray out;
    for (int s = 0; s < 51; ++s)
        out += NameRecord("", 0x00FFFFFF);
    return out;
}

const QByteArray DefaultLibnames = QByteArray("Library 1").leftJustified(13 * 19, ' ');

} // namespace

// A missing file is created the same way (see the record writes below).
TEST(LoadNames, EmptyFilesAreCreatedWithTheirDefaults) {
    TestProgram t;
    TestProgram::WriteAll(t.Path("Libnames.dat"), "");
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), "");
    LoadLibraryNames(t.program);
    LoadNames(t.program);
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")), DefaultLibnames);
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), DefaultNamesFile());
    EXPECT_EQ(t.program.LibraryNames[0], "Library 1");
}

TEST(LoadNames, ReadsByTheRulesAndShortFilesStayAsTheyAre) {
    TestProgram t;
    // Trailing blanks go, leading ones stay; colour 0 is white; Windows-1252; full width.
    QByteArray names = NameRecord("Bank", 0x000000FF) + NameRecord("  Mail", 0) +
                       NameRecord("Caf\xE9 \x80uro", 0x01020304) +
                       NameRecord(QByteArray(30, 'x'), 0x00C0FFEE);
    names += QByteArray("Thr").leftJustified(30, ' ') + "\x01\x02"; // a cut record
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), names);
    const QByteArray libnames = QByteArray("Home         Wo");
    TestProgram::WriteAll(t.Path("Libnames.dat"), libnames);
    t.program.SlotNames[40] = "stale"; // from another library
    LoadNames(t.program);
    LoadLibraryNames(t.program);

    const std::tuple<int, QString, quint32> records[] = {
        {0, "Bank", 0x000000FF},
        {1, "  Mail", 0x00FFFFFF},
        {2, QString::fromUtf8("Café €uro"), 0x01020304},
        {3, QString(30, 'x'), 0x00C0FFEE},
        {4, "Thr", 0x00FFFFFF},
        {40, "", 0x00FFFFFF}};
    for (const auto& [slot, name, color] : records) {
        EXPECT_EQ(t.program.SlotNames[slot], name) << slot;
        EXPECT_EQ(t.program.SlotColors[slot], color) << slot;
    }
    EXPECT_EQ(t.program.LibraryNames[0], "Home");
    EXPECT_EQ(t.program.LibraryNames[1], "Wo");
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), names);
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")), libnames);
}

TEST(LoadNames, CreatesOnlyTheLibraryFolderItself) {
    TestProgram t;
    t.program.LibraryFolder = t.Path("missing/Lib1/");
    int reports = 0;
    t.program.onWriteFailed = [&](const QString&) { ++reports; };
    LoadNames(t.program);
    EXPECT_FALSE(QFileInfo::exists(t.Path("missing")));
    EXPECT_EQ(reports, 1);
}

TEST(RecordWrites, WriteInPlaceCutToTheFieldAndReload) {
    TestProgram t;
    LoadLibraryNames(t.program);
    LoadNames(t.program);
    // The names file holds entry names; like every data file it is private.
    EXPECT_FALSE(QFileInfo(t.LibraryPath("Names.dat")).permissions() & QFileDevice::ReadOther);
    QByteArray expected = DefaultNamesFile();

    // A name longer than its field is cut rather than spilling into slot 8.
    ASSERT_TRUE(WriteSlotName(t.program, 7, QString(35, 'y'), 0x00AABBCC));
    EXPECT_EQ(t.program.SlotNames[7], QString(30, 'y'));
    expected.replace(7 * 34, 34, NameRecord(QByteArray(30, 'y'), 0x00AABBCC));
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), expected);
    ASSERT_TRUE(EraseSlotName(t.program, 7));
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), DefaultNamesFile());

    ASSERT_TRUE(WriteLibraryName(t.program, 4, "Thirteen char"));
    ASSERT_TRUE(WriteLibraryName(t.program, 5, "Much too long a name"));
    ASSERT_TRUE(EraseLibraryName(t.program, 0));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")),
              QByteArray(4 * 13, ' ') + "Thirteen charMuch too long" + QByteArray(13 * 13, ' '));
    EXPECT_EQ(t.program.LibraryNames[4], "Thirteen char");

    EXPECT_FALSE(WriteSlotName(t.program, 51, "x", 0));
    EXPECT_FALSE(WriteLibraryName(t.program, 19, "x"));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")).size(), 247);
}

TEST(RecordWrites, OtherLibraryAndShortFilesGetDefaultsAroundTheRecord) {
    TestProgram t;
    // Another library's folder that does not exist yet; the current tables stay alone.
    ASSERT_TRUE(WriteNameRecord(t.program, t.Path("Lib3/"), 5, "Moved", 0x00808080));
    QByteArray expected = DefaultNamesFile();
    expected.replace(5 * 34, 34, NameRecord("Moved", 0x00808080));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib3/Names.dat")), expected);
    EXPECT_EQ(t.program.SlotNames[5], "");

    // A short file is filled with blank records up to the one written, never zeros.
    const QByteArray shortFile = NameRecord("A", 0x0000FF00) + QByteArray("B");
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), shortFile);
    ASSERT_TRUE(WriteSlotName(t.program, 3, "D", 0x00FF0000));
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")),
              shortFile + DefaultNamesFile().mid(35, 3 * 34 - 35) + NameRecord("D", 0x00FF0000));
    EXPECT_EQ(t.program.SlotNames[1], "B");
}

TEST(RecordWrites, UnwritableFileIsReportedOnceAndNothingIsLost) {
    TestProgram t;
    QStringList reported;
    t.program.onWriteFailed = [&](const QString& path) { reported.append(path); };

    // A full disk: the write fails, the message comes once, the name stays.
    ASSERT_TRUE(QFile::link("/dev/full", t.Path("Libnames.dat")));
    EXPECT_FALSE(WriteLibraryName(t.program, 1, "Work"));
    EXPECT_FALSE(WriteLibraryName(t.program, 2, "Home"));
    EXPECT_EQ(reported, QStringList{t.Path("Libnames.dat")});
    EXPECT_EQ(t.program.LibraryNames[1], "");
}
