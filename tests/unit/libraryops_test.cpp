// Library moves, copies and erasures over real folders, compared byte for byte, and what
// start-up does with a swap that was cut short.
#include "LibraryCensus.h"
#include "entries/LibraryOps.h"
#include "storage/Names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace kelpo;
using namespace kelpo::census;

namespace {

struct LibraryOpsTest : ::testing::Test {
    TestProgram t;
    Program& p = t.program;
    int failures = 0;

    void SetUp() override {
        p.onWriteFailed = [this](const QString&) { ++failures; };
        // Library 2 "Work" (folder Lib3) and library 7 "Home" (Lib8), each with entries.
        WriteEntry(Lib(2), 0, "Payroll", 'a');
        WriteEntry(Lib(2), 49, "Intranet", 'b', false);
        WriteEntry(Lib(7), 5, "Bank", 'c');
        NameLibrary(2, "Work");
        NameLibrary(7, "Home");
    }
    QString Lib(int k) const { return t.Path(QStringLiteral("Lib%1/").arg(k + 1)); }
    void NameLibrary(int k, const QString& name) { ASSERT_TRUE(WriteLibraryName(p, k, name)); }
    QByteArray LibRecord(int k) { return FileOrEmpty(t.Path("Libnames.dat")).mid(k * 13, 13); }
    QStringList Files(int k) {
        return QDir(Lib(k)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

} // namespace

TEST_F(LibraryOpsTest, MoveSwapsFoldersAndNamesAndACopyFillsOnlyAnEmptyLibrary) {
    const QByteArray work = Entry(Lib(2), 0), home = Entry(Lib(7), 5);
    // Work onto Home (with entries): the two swap, the right button changes nothing.
    LibraryOutcome out = MoveLibrary(p, 2, 7, true);
    EXPECT_TRUE(out.ok && out.notices.isEmpty());
    EXPECT_EQ(LibRecord(7), "Work         ");
    EXPECT_EQ(LibRecord(2), "Home         ");
    EXPECT_EQ(Entry(Lib(7), 0), work);
    EXPECT_EQ(Entry(Lib(2), 5), home);
    EXPECT_EQ(p.LibraryNames[7], "Work");
    EXPECT_FALSE(QFileInfo::exists(t.Path("Sparelib")) ||
                 QFileInfo::exists(t.Path("Sparelib.txt")));

    // Onto a button with no folder: the folder takes the new number, the old one has none.
    ASSERT_TRUE(MoveLibrary(p, 7, 12, false).ok);
    EXPECT_FALSE(QFileInfo::exists(Lib(7)));
    EXPECT_EQ(Entry(Lib(12), 0), work);
    EXPECT_EQ(LibRecord(12), "Work         ");
    EXPECT_EQ(LibRecord(7), QByteArray(13, ' '));

    // Copy onto an unnamed library holding only its names and URL files: both buttons
    // hold the same name and the same files.
    TestProgram::WriteAll(Lib(9) + "Names.dat", NameBytes("").repeated(51));
    TestProgram::WriteAll(Lib(9) + "url.dat", QByteArray(50000, ' '));
    ASSERT_TRUE(MoveLibrary(p, 12, 9, true).ok);
    EXPECT_EQ(LibRecord(9), "Work         ");
    EXPECT_EQ(LibRecord(12), "Work         ");
    EXPECT_EQ(Files(12), Files(9));
    for (const QString& file : Files(9))
        EXPECT_EQ(FileOrEmpty(Lib(12) + file), FileOrEmpty(Lib(9) + file)) << qPrintable(file);
    EXPECT_EQ(failures, 0);
}

TEST_F(LibraryOpsTest, WhatCountsAsEmpty) {
    EXPECT_TRUE(IsLibraryEmpty(Lib(15))); // no folder
    TestProgram::WriteAll(Lib(15) + "names.DAT", NameBytes("").repeated(51));
    TestProgram::WriteAll(Lib(15) + "Url.Dat", "x");
    EXPECT_TRUE(IsLibraryEmpty(Lib(15)));
    struct Case {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"a note", [&] { TestProgram::WriteAll(Lib(16) + "Note3.txt", ""); }},
        {"a subfolder", [&] { QDir().mkpath(Lib(16) + "pictures"); }},
        {"a file of another program", [&] { TestProgram::WriteAll(Lib(16) + ".directory", ""); }},
        // Names without their files: never copied over, whatever else the folder lacks.
        {"a name", [&] { WriteEntry(Lib(16), 4, "Orphan", 'z'); }},
    };
    for (const Case& c : cases) {
        QDir(Lib(16)).removeRecursively();
        QDir().mkpath(Lib(16));
        c.make();
        if (QString(c.what) == "a name")
            for (const char* f : {"Page4.dat", "Page4.h", "Note4.txt"})
                QFile::remove(Lib(16) + f);
        EXPECT_FALSE(IsLibraryEmpty(Lib(16))) << c.what;
        // So a right-button drag onto it swaps rather than copies over it.
        const QByteArray before = Entry(Lib(16), 4);
        ASSERT_TRUE(MoveLibrary(p, 2, 16, true).ok) << c.what;
        EXPECT_EQ(Entry(Lib(2), 4), before) << c.what;
        EXPECT_EQ(LibRecord(2), QByteArray(13, ' ')) << c.what;
        ASSERT_TRUE(MoveLibrary(p, 16, 2, false).ok);
    }
}

TEST_F(LibraryOpsTest, EraseRemovesWhatTheProgramWroteAndLeavesTheRestInSight) {
    LibraryOutcome out = EraseLibrary(p, 7);
    EXPECT_TRUE(out.ok && out.notices.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Lib(7)));
    EXPECT_EQ(LibRecord(7), QByteArray(13, ' '));
    EXPECT_EQ(LibRecord(2), "Work         ");

    // A subfolder and a file of another program stay, and the user hears of them.
    QDir().mkpath(Lib(2) + "scans");
    TestProgram::WriteAll(Lib(2) + "scans/id.png", "png");
    TestProgram::WriteAll(Lib(2) + "todo.txt", "mine");
    TestProgram::WriteAll(Lib(2) + "PAGE7.DAT", "ours by name");
    out = EraseLibrary(p, 2);
    ASSERT_EQ(out.notices.size(), 1);
    EXPECT_TRUE(out.notices[0].contains("scans") && out.notices[0].contains("todo.txt"));
    EXPECT_EQ(QDir(Lib(2)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"scans", "todo.txt"}));
    EXPECT_EQ(FileOrEmpty(Lib(2) + "scans/id.png"), "png");
    EXPECT_EQ(LibRecord(2), QByteArray(13, ' '));
    // A library that has no folder: only its name goes.
    NameLibrary(11, "Ghost");
    EXPECT_TRUE(EraseLibrary(p, 11).ok);
    EXPECT_EQ(LibRecord(11), QByteArray(13, ' '));
    EXPECT_EQ(failures, 0);
}

TEST_F(LibraryOpsTest, AStraySpareFolderIsKeptUnderANewNameAndBlocksNothingLater) {
    const QByteArray work = Entry(Lib(2), 0);
    // A spare folder no journal explains (say, from another copy of the program).
    QDir().rename(Lib(2).chopped(1), t.Path("Sparelib"));
    QDir().mkpath(t.Path("Sparelib kept 1")); // a name already taken is skipped
    const QStringList notices = RecoverLibraries(p);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains("Sparelib kept 2"));
    EXPECT_EQ(Entry(t.Path("Sparelib kept 2/"), 0), work);
    EXPECT_FALSE(QFileInfo::exists(t.Path("Sparelib")));
    EXPECT_TRUE(MoveLibrary(p, 7, 3, false).ok);

    // A spare folder while a move is asked for: the move is refused, nothing changes.
    QDir().mkpath(t.Path("Sparelib"));
    const LibraryOutcome out = MoveLibrary(p, 3, 7, false);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.notices.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(Lib(3) + "Page5.dat"));
    EXPECT_EQ(failures, 0);
}

TEST_F(LibraryOpsTest, ASwapCutShortIsPutBackOrKeptAsideWhenItsPlaceIsTaken) {
    const auto before = Shown(p.ProgramFolder);
    // Stopped right after the dragged library reached its new place.
    int stopAt = 4;
    p.fileStepHook = [&](const QString& op, int step) {
        if (op == "swap" && step == stopAt)
            throw std::runtime_error("stopped");
        return true;
    };
    EXPECT_THROW(MoveLibrary(p, 2, 7, false), std::runtime_error);
    p.fileStepHook = nullptr;
    EXPECT_TRUE(QFileInfo::exists(t.Path("Sparelib")));
    EXPECT_TRUE(RecoverLibraries(p).isEmpty());
    EXPECT_EQ(Shown(p.ProgramFolder), before); // undone: every entry in its old place

    // Stopped before the spare went back, and meanwhile its place was taken: kept aside.
    stopAt = 5;
    p.fileStepHook = [&](const QString& op, int step) {
        if (op == "swap" && step == stopAt)
            throw std::runtime_error("stopped");
        return true;
    };
    EXPECT_THROW(MoveLibrary(p, 2, 7, false), std::runtime_error);
    p.fileStepHook = nullptr;
    QDir().mkpath(Lib(2));
    TestProgram::WriteAll(Lib(2) + "Names.dat", NameBytes("").repeated(51));
    const QStringList notices = RecoverLibraries(p);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains("Sparelib kept 1"));
    EXPECT_EQ(Entry(t.Path("Sparelib kept 1/"), 5), before["Lib8/5"]);
    EXPECT_EQ(Entry(Lib(7), 0), before["Lib3/0"]);
    // The swap was finished otherwise: names follow the contents.
    EXPECT_EQ(LibRecord(7), "Work         ");
    EXPECT_FALSE(QFileInfo::exists(t.Path("Sparelib.txt")));

    // A damaged journal is dropped; the spare it would have explained is kept aside.
    QDir().mkpath(t.Path("Sparelib"));
    TestProgram::WriteAll(t.Path("Sparelib.txt"), "Kelpo library swap\nfrom 2\nto");
    EXPECT_EQ(RecoverLibraries(p).size(), 1);
    EXPECT_TRUE(QFileInfo::exists(t.Path("Sparelib kept 2")));
    EXPECT_FALSE(QFileInfo::exists(t.Path("Sparelib.txt")));
}
