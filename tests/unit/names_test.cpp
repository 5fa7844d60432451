// "Libnames.dat" and "Names.dat": defaults, reading rules, short files and record writes.
#include "TestProgram.h"
#include "storage/Names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

QByteArray RecordBytes(const QByteArray& name, quint32 color) {
    const quint32 le = qToLittleEndian(color);
    return name.leftJustified(30, ' ') + QByteArray(reinterpret_cast<const char*>(&le), 4);
}

const QByteArray BlankNames = RecordBytes("", 0x00FFFFFF).repeated(51);

} // namespace

TEST(LoadNames, ReadsByTheRulesAndShortFilesStayAsTheyAre) {
    TestProgram t;
    // Trailing blanks go, leading ones stay; colour 0 is white; Windows-1252; full width.
    QByteArray names = RecordBytes("Bank", 0x000000FF) + RecordBytes("  Mail", 0) +
                       RecordBytes("Caf\xE9 \x80uro", 0x01020304) +
                       RecordBytes(QByteArray(30, 'x'), 0x00C0FFEE);
    names += QByteArray("Thr").leftJustified(30, ' ') + "\x01\x02"; // a cut record
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), names);
    TestProgram::WriteAll(t.Path("Libnames.dat"), "Home         Wo");
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
}

TEST(RecordWrites, EmptyFilesGetTheirDefaultsAndRecordsAreWrittenInPlaceCutToTheField) {
    TestProgram t;
    TestProgram::WriteAll(t.Path("Libnames.dat"), ""); // a missing file is created the same way
    LoadLibraryNames(t.program);
    LoadNames(t.program);
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")), BlankNames);
    // The names file holds entry names; like every data file it is private.
    EXPECT_FALSE(QFileInfo(t.LibraryPath("Names.dat")).permissions() & QFileDevice::ReadOther);

    // A name longer than its field is cut rather than spilling into slot 8.
    ASSERT_TRUE(WriteSlotName(t.program, 7, QString(35, 'y'), 0x00AABBCC));
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")),
              BlankNames.left(7 * 34) + RecordBytes(QByteArray(30, 'y'), 0x00AABBCC) +
                  BlankNames.mid(8 * 34));

    ASSERT_TRUE(WriteLibraryName(t.program, 4, "Thirteen char"));
    ASSERT_TRUE(WriteLibraryName(t.program, 5, "Much too long a name"));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Libnames.dat")),
              QByteArray("Library 1").leftJustified(4 * 13, ' ') + "Thirteen charMuch too long" +
                  QByteArray(13 * 13, ' '));

    EXPECT_FALSE(WriteSlotName(t.program, 51, "x", 0));
    EXPECT_FALSE(WriteLibraryName(t.program, 19, "x"));
}

TEST(RecordWrites, OtherLibraryAndShortFilesGetDefaultsAroundTheRecord) {
    TestProgram t;
    // Another library's folder that does not exist yet; the current tables stay alone.
    ASSERT_TRUE(WriteNameRecord(t.program, t.Path("Lib3/"), 5, "Moved", 0x00808080));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Lib3/Names.dat")),
              BlankNames.left(5 * 34) + RecordBytes("Moved", 0x00808080) + BlankNames.mid(6 * 34));
    EXPECT_EQ(t.program.SlotNames[5], "");

    // A short file is filled with blank records up to the one written, never zeros.
    const QByteArray shortFile = RecordBytes("A", 0x0000FF00) + QByteArray("B");
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), shortFile);
    ASSERT_TRUE(WriteSlotName(t.program, 3, "D", 0x00FF0000));
    EXPECT_EQ(TestProgram::ReadAll(t.LibraryPath("Names.dat")),
              shortFile + BlankNames.mid(35, 3 * 34 - 35) + RecordBytes("D", 0x00FF0000));
}

TEST(NameFiles, AFailedWriteIsReportedOnceAndNoMissingParentIsCreated) {
    TestProgram t;
    QStringList reported;
    t.program.onWriteFailed = [&](const QString& path) { reported.append(path); };
    ASSERT_TRUE(QFile::link("/dev/full", t.Path("Libnames.dat")));
    EXPECT_FALSE(WriteLibraryName(t.program, 1, "Work"));
    EXPECT_FALSE(WriteLibraryName(t.program, 2, "Home"));
    EXPECT_EQ(reported, QStringList{t.Path("Libnames.dat")});

    // Only the library folder itself is made, never a data folder above it.
    t.program.LibraryFolder = t.Path("missing/Lib1/");
    LoadNames(t.program);
    EXPECT_FALSE(QFileInfo::exists(t.Path("missing")));
}
