// Note files: what the notes panel and the Notes window read, and how a note is saved.
#include "TestProgram.h"
#include "entries/NoteFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

struct NoteFolder {
    TestProgram t;
    QString folder = t.program.LibraryFolder;
    NoteFolder() { QDir().mkpath(folder); }
    QString Path(int slot) const { return folder + QStringLiteral("Note%1.txt").arg(slot); }
    bool Exists(int slot) const { return QFileInfo::exists(Path(slot)); }
};

} // namespace

TEST(NoteFile, LookingShowsTheTextAndDeletesEmptyAndBlankNotesAfterShowingThem) {
    NoteFolder f;
    // No file: nothing to show, and none is made.
    EXPECT_EQ(LookAtNote(f.folder, 4), "");
    EXPECT_FALSE(f.Exists(4));

    struct Case {
        QByteArray bytes;
        QString shown;
        bool kept;
    };
    const Case cases[] = {
        {"", "", false},
        {"   ", "   ", false},  // shown once, then gone
        {"\r\n", "\r\n", true}, // a line break is text, not a blank
        {"  x  ", "  x  ", true},
        {"Pin 1234\r\nDoor \x80 5", QString::fromUtf8("Pin 1234\r\nDoor € 5"), true},
    };
    for (const Case& c : cases) {
        TestProgram::WriteAll(f.Path(7), c.bytes);
        EXPECT_EQ(LookAtNote(f.folder, 7), c.shown) << c.bytes.toStdString();
        EXPECT_EQ(f.Exists(7), c.kept) << c.bytes.toStdString();
        EXPECT_EQ(LookAtNote(f.folder, 7), c.kept ? c.shown : QString());
    }
}

TEST(NoteFile, OpeningCreatesTheFileAndSavingWritesExactlyTheText) {
    NoteFolder f;
    // The Notes window opened on a slot without notes leaves a 0-byte file behind, which
    // the next look removes.
    EXPECT_EQ(OpenNote(f.folder, 0), "");
    EXPECT_TRUE(f.Exists(0));
    EXPECT_EQ(QFileInfo(f.Path(0)).size(), 0);
    LookAtNote(f.folder, 0);
    EXPECT_FALSE(f.Exists(0));

    // Line breaks and Windows-1252 characters go to the file as they are; a shorter note
    // leaves nothing of the longer one behind.
    TestProgram::WriteAll(f.Path(49), QByteArray(500, 'x'));
    ASSERT_TRUE(SaveNote(f.folder, 49, QString::fromUtf8("one\r\n\r\nthree é")));
    EXPECT_EQ(TestProgram::ReadAll(f.Path(49)), QByteArray("one\r\n\r\nthree \xE9"));
    EXPECT_EQ(OpenNote(f.folder, 49), QString::fromUtf8("one\r\n\r\nthree é"));
    // The whole note fits: 20000 characters.
    ASSERT_TRUE(SaveNote(f.folder, 49, QString(NoteMaxLength, 'n')));
    EXPECT_EQ(QFileInfo(f.Path(49)).size(), NoteMaxLength);
}

TEST(NoteFile, AFailedSaveKeepsTheOldNote) {
    NoteFolder f;
    ASSERT_TRUE(SaveNote(f.folder, 3, "old"));
    // A character the file cannot hold is never written as something else.
    EXPECT_FALSE(SaveNote(f.folder, 3, QString::fromUtf8("new 😀")));
    EXPECT_EQ(TestProgram::ReadAll(f.Path(3)), "old");
    // A folder that cannot be written (here one that is a file): the save says so.
    const QString notAFolder = f.folder + "Note3.txt/";
    EXPECT_FALSE(SaveNote(notAFolder, 3, "new"));
    EXPECT_EQ(TestProgram::ReadAll(f.Path(3)), "old");
    // Nothing of the attempts is left beside it.
    EXPECT_EQ(QDir(f.folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Note3.txt"});
}

TEST(NoteFile, LineBreaksConvertBetweenFileAndTextBox) {
    EXPECT_EQ(NoteLineFeeds("a\r\nb\r\n\r\n"), "a\nb\n\n");
    EXPECT_EQ(NoteCrLfs("a\nb\n\n"), "a\r\nb\r\n\r\n");
    // Already CR LF stays as it is, not doubled.
    EXPECT_EQ(NoteCrLfs("a\r\nb"), "a\r\nb");
}
