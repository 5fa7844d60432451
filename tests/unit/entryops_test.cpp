// Erasing, copying and moving an entry's five stores, compared byte for byte; a move never
// erases what it could not copy.
#include "TestProgram.h"
#include "entries/EntryOps.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

QByteArray NameBytes(const QByteArray& name, quint32 color) {
    QByteArray out = name.leftJustified(30, ' ');
    for (int i = 0; i < 4; ++i)
        out.append(char((color >> (8 * i)) & 0xFF));
    return out;
}

const QByteArray WhiteBlank = NameBytes("", 0x00FFFFFF);

struct EntryOpsTest : ::testing::Test {
    TestProgram t;
    QString lib1 = t.program.ProgramFolder + "Lib1/";
    QString lib2 = t.program.ProgramFolder + "Lib2/";
    int failures = 0;

    void SetUp() override {
        QDir().mkpath(lib1);
        QDir().mkpath(lib2);
        t.program.onWriteFailed = [this](const QString&) { ++failures; };
        // Slot 3 of Lib1: a full entry; its neighbours must never change.
        TestProgram::WriteAll(lib1 + "Names.dat", WhiteBlank.repeated(3) +
                                                      NameBytes("Bank", 0x00123456) +
                                                      NameBytes("Next", 0x00FFFFFF));
        TestProgram::WriteAll(lib1 + "url.dat", QByteArray(3000, 'a') + QByteArray(1000, 'u') +
                                                    QByteArray(1000, 'n'));
        TestProgram::WriteAll(lib1 + "Page3.dat", QByteArray(8030, '\x9C'));
        TestProgram::WriteAll(lib1 + "Page3.h", QByteArray("\x01\x00", 2).repeated(40));
    }
    QByteArray Read(const QString& path) { return TestProgram::ReadAll(path); }
    QByteArray Record(const QString& folder, int slot) {
        return Read(folder + "Names.dat").mid(slot * 34, 34);
    }
    QByteArray Url(const QString& folder, int slot) {
        return Read(folder + "url.dat").mid(slot * 1000, 1000);
    }
};

} // namespace

TEST_F(EntryOpsTest, CopyCarriesAllFiveStoresAndReplacesWhatTheTargetHeld) {
    TestProgram::WriteAll(lib2 + "Page12.dat", QByteArray(9000, 'x')); // longer than the copy
    TestProgram::WriteAll(lib2 + "Note12.txt", "old notes");
    ASSERT_TRUE(CopyEntry(t.program, {lib1, 3}, {lib2, 12}));

    EXPECT_EQ(Record(lib2, 12), NameBytes("Bank", 0x00123456));
    EXPECT_EQ(Record(lib2, 11), WhiteBlank); // records before it are blank, not zeros
    EXPECT_EQ(Url(lib2, 12), QByteArray(1000, 'u'));
    EXPECT_EQ(Read(lib2 + "Page12.dat"), QByteArray(8030, '\x9C'));
    EXPECT_EQ(Read(lib2 + "Page12.h"), QByteArray("\x01\x00", 2).repeated(40));
    // A missing note arrives as an empty file, and is left empty at the source too.
    EXPECT_TRUE(QFile::exists(lib2 + "Note12.txt") && Read(lib2 + "Note12.txt").isEmpty());
    EXPECT_TRUE(QFile::exists(lib1 + "Note3.txt"));
    // The source is untouched.
    EXPECT_EQ(Record(lib1, 3), NameBytes("Bank", 0x00123456));
    EXPECT_EQ(Read(lib1 + "Page3.dat").size(), 8030);
    EXPECT_EQ(failures, 0);
}

TEST_F(EntryOpsTest, MoveWithinALibraryRenumbersAndEraseLeavesTheNeighbours) {
    TestProgram::WriteAll(lib1 + "Note3.txt", "hint");
    ASSERT_TRUE(MoveEntry(t.program, {lib1, 3}, {lib1, 20}));
    EXPECT_EQ(Record(lib1, 20), NameBytes("Bank", 0x00123456));
    EXPECT_EQ(Read(lib1 + "Note20.txt"), "hint");
    EXPECT_EQ(Record(lib1, 3), WhiteBlank);
    EXPECT_EQ(Url(lib1, 3), QByteArray(1000, ' '));
    for (const char* gone : {"Page3.dat", "Page3.h", "Note3.txt"})
        EXPECT_FALSE(QFile::exists(lib1 + gone)) << gone;
    EXPECT_EQ(Record(lib1, 4), NameBytes("Next", 0x00FFFFFF));
    EXPECT_EQ(Url(lib1, 4), QByteArray(1000, 'n'));

    // Erasing with the note kept (the forgotten-password delete).
    ASSERT_TRUE(EraseEntry(t.program, {lib1, 20}, NoteFile::Keep));
    EXPECT_EQ(Record(lib1, 20), WhiteBlank);
    EXPECT_FALSE(QFile::exists(lib1 + "Page20.dat"));
    EXPECT_EQ(Read(lib1 + "Note20.txt"), "hint");
    // Onto itself: nothing happens.
    EXPECT_TRUE(MoveEntry(t.program, {lib1, 4}, {lib1, 4}));
    EXPECT_EQ(Record(lib1, 4), NameBytes("Next", 0x00FFFFFF));
}

TEST_F(EntryOpsTest, AMoveWhoseCopyFailsKeepsTheSourceAndSaysSo) {
    // A folder where the page file should go: the copy cannot be written.
    QDir().mkpath(lib2 + "Page12.dat");
    EXPECT_FALSE(MoveEntry(t.program, {lib1, 3}, {lib2, 12}));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(Record(lib1, 3), NameBytes("Bank", 0x00123456));
    EXPECT_EQ(Url(lib1, 3), QByteArray(1000, 'u'));
    EXPECT_EQ(Read(lib1 + "Page3.dat"), QByteArray(8030, '\x9C'));
    EXPECT_TRUE(QFile::exists(lib1 + "Page3.h"));
    // Slots out of range do nothing and say no.
    EXPECT_FALSE(CopyEntry(t.program, {lib1, 3}, {lib2, 51}));
    EXPECT_FALSE(EraseEntry(t.program, {lib1, -1}));
}
