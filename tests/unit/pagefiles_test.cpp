// The entry files: byte images of "url.dat", "Page<n>.dat" and "Page<n>.h", and reading
// them back from whole, short, missing and foreign files.
#include "TestProgram.h"
#include "entries/PageFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

QString Latin(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

struct PageFilesTest : ::testing::Test {
    TestProgram t;
    QString folder;
    void SetUp() override {
        folder = t.program.LibraryFolder;
        QDir().mkpath(folder);
    }
    QByteArray File(const QString& name) { return TestProgram::ReadAll(folder + name); }
};

} // namespace

TEST(ScrambleText, MirrorsEveryByteAndIsItsOwnInverse) {
    QByteArray abc("abc");
    EXPECT_EQ(ScrambleText(abc), Bytes({158, 157, 156}));
    EXPECT_EQ(abc, Bytes({158, 157, 156})); // the caller's text is replaced too

    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    QByteArray twice = all;
    ScrambleText(twice);
    EXPECT_EQ(static_cast<unsigned char>(twice[0]), 255);
    EXPECT_EQ(static_cast<unsigned char>(twice[0xDF]), 0x20);
    ScrambleText(twice);
    EXPECT_EQ(twice, all);

    // Text goes through Windows-1252: "€" is 0x80 and scrambles to 0x7F; "a" scrambles to
    // 0x9E, which is "ž" there.
    QString euro = Latin("€a");
    EXPECT_EQ(ScrambleText(euro), QString(QChar(0x7F)) + Latin("ž"));
    EXPECT_EQ(ScrambleText(euro), Latin("€a"));
}

TEST_F(PageFilesTest, WritesTheDescribedBytes) {
    ClipSet entry;
    entry.Slot = 7;
    entry.Url = "https://example.com/a b";
    entry.Password = "pw";
    entry.Clips[0] = "abc";
    entry.Clips[2] = Latin("é ");
    entry.Hidden[2] = 1;
    // "url.dat" 2000 bytes long grows to 8000 with the record at 7000.
    TestProgram::WriteAll(folder + "url.dat", QByteArray(2000, 'u'));
    ASSERT_TRUE(WriteEntryFiles(folder, entry));

    const QByteArray url = File("url.dat");
    ASSERT_EQ(url.size(), 8000);
    EXPECT_EQ(url.left(2000), QByteArray(2000, 'u'));
    EXPECT_EQ(url.mid(2000, 5000), QByteArray(5000, '\0'));
    EXPECT_EQ(url.mid(7000), QByteArray("https://example.com/a b").leftJustified(1000, ' '));

    QByteArray expected = Bytes({255 - 'p', 255 - 'w'}) + QByteArray(28, ' ');
    expected += Bytes({158, 157, 156}) + QByteArray(197, ' ');
    expected += QByteArray(200, ' ');
    expected += Bytes({255 - 0xE9, 255 - ' '}) + QByteArray(198, ' ');
    expected += QByteArray(37 * 200, ' ');
    const QByteArray page = File("Page7.dat");
    ASSERT_EQ(page.size(), 8030); // no trailer: nothing ends in 0xDF
    EXPECT_EQ(page, expected);

    QByteArray hide(80, '\0');
    hide[4] = 1;
    EXPECT_EQ(File("Page7.h"), hide);
}

TEST_F(PageFilesTest, ReadsBackWhatWasWritten) {
    ClipSet entry;
    entry.Slot = 12;
    entry.Url = "  www.example.com/?q=a b";
    entry.Password = Latin("Äpfel ");
    entry.Clips[0] = "xy ";      // a trailing blank is kept (its scrambled form is 0xDF)
    entry.Clips[1] = " lead";    // leading blanks too
    entry.Clips[5] = Latin("ÿ"); // scrambles to a zero byte, which is text here
    entry.Clips[39] = QString(200, 'z');
    entry.Hidden = {1, 0, 1};
    ASSERT_TRUE(WriteEntryFiles(folder, entry));

    ClipSet read;
    ReadEntryFiles(folder, 12, read);
    EXPECT_EQ(read.Slot, 12);
    EXPECT_EQ(read.Url, entry.Url);
    EXPECT_EQ(read.Password, entry.Password);
    EXPECT_EQ(read.Clips, entry.Clips);
    EXPECT_EQ(read.Hidden, entry.Hidden);
}

TEST_F(PageFilesTest, TextEndingInTheBlankTwinSurvives) {
    const QString sz = Latin("ß");
    ClipArray clips;
    clips[0] = "Stra" + sz;
    clips[1] = sz + sz;                // nothing but the character
    clips[2] = "a" + sz + " " + sz;    // blanks between them stay
    clips[3] = QString(199, 'q') + sz; // fills the field
    clips[4] = "abc";
    ASSERT_TRUE(WritePage(folder, 3, "geheim" + sz, clips));

    const QByteArray page = File("Page3.dat");
    ASSERT_EQ(page.size(), PageFileSize + PageTrailerSize);
    // The page bytes themselves are the plain format: "Straß" scrambled, then padding.
    QByteArray clip0 = "Stra";
    ScrambleText(clip0);
    EXPECT_EQ(page.mid(30, 200), clip0 + QByteArray(196, ' '));

    EXPECT_EQ(ReadPassword(folder, 3), "geheim" + sz);
    EXPECT_EQ(ReadClips(folder, 3), clips);
}

TEST_F(PageFilesTest, StaleOrForeignTrailerIsNotBelieved) {
    const QString sz = Latin("ß");
    ClipArray clips;
    clips[0] = "ab" + sz;
    ASSERT_TRUE(WritePage(folder, 4, {}, clips));
    // "ab" has the same page bytes as "abß": the old trailer must not bring the ß back.
    clips[0] = "ab";
    ASSERT_TRUE(WritePage(folder, 4, {}, clips));
    EXPECT_EQ(File("Page4.dat").size(), PageFileSize + PageTrailerSize);
    EXPECT_EQ(ReadClips(folder, 4)[0], "ab");

    // A page rewritten by something that knows nothing of the trailer.
    clips[0] = "ab" + sz;
    ASSERT_TRUE(WritePage(folder, 4, {}, clips));
    {
        QFile f(folder + "Page4.dat");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(30);
        QByteArray other = "cd";
        ScrambleText(other);
        f.write(other); // the blank after it stays: it now looks like padding
    }
    EXPECT_EQ(ReadClips(folder, 4)[0], "cd");

    // A trailer tag with counts that the fields cannot hold is ignored field by field.
    PageImage image = EncodePage({}, ClipArray{"x" + sz});
    QByteArray trailer = image.trailer;
    trailer[PageTrailerTagSize + 0] = 5; // the password field holds no blanks for it
    const auto counts = TrailerCounts(image.page, trailer);
    EXPECT_EQ(counts[0], 30 >= 5 ? 5 : 0); // an empty password is 30 blanks: allowed
    trailer[PageTrailerTagSize + 2] = 1;   // clip 1 is empty: 200 blanks, so 1 would fit...
    EXPECT_EQ(TrailerCounts(image.page, trailer)[2], 1);
    image.page[0] = 'X'; // ...but any change to the page bytes drops every count
    EXPECT_EQ(TrailerCounts(image.page, trailer), (std::array<int, ClipCount + 1>{}));
}

TEST_F(PageFilesTest, BytesBeyondThePageStay) {
    QByteArray longer(9000, 'k');
    TestProgram::WriteAll(folder + "Page2.dat", longer);
    ClipArray clips;
    clips[0] = "new";
    ASSERT_TRUE(WritePage(folder, 2, {}, clips));
    const QByteArray page = File("Page2.dat");
    ASSERT_EQ(page.size(), 9000);
    EXPECT_EQ(page.mid(8030), QByteArray(970, 'k'));
    EXPECT_EQ(ReadClips(folder, 2)[0], "new");
}

TEST_F(PageFilesTest, MissingShortAndZeroFilledFilesReadAsBlanks) {
    ClipSet empty;
    ReadEntryFiles(folder, 9, empty);
    EXPECT_EQ(empty.Url, "");
    EXPECT_EQ(empty.Password, "");
    EXPECT_EQ(empty.Clips, ClipArray{});
    EXPECT_EQ(empty.Hidden, HideArray{});

    // A gap record of zero bytes, and a record that lies beyond the end.
    ASSERT_TRUE(WriteUrl(folder, 5, "five"));
    EXPECT_EQ(File("url.dat").size(), 6000);
    EXPECT_EQ(ReadUrl(folder, 3), "");
    EXPECT_EQ(ReadUrl(folder, 5), "five");
    EXPECT_EQ(ReadUrl(folder, 50), "");

    // A page file cut inside clip 0, a hide file with two values.
    QByteArray shortPage = Bytes({255 - 'k'}) + QByteArray(29, ' ');
    shortPage += Bytes({255 - 'h', 255 - 'i'});
    TestProgram::WriteAll(folder + "Page6.dat", shortPage);
    TestProgram::WriteAll(folder + "Page6.h", Bytes({1, 0, 1}));
    EXPECT_EQ(ReadPassword(folder, 6), "k");
    const ClipArray clips = ReadClips(folder, 6);
    EXPECT_EQ(clips[0], "hi");
    EXPECT_EQ(clips[1], "");
    const HideArray hidden = ReadHidden(folder, 6);
    EXPECT_EQ(hidden[0], 1);
    EXPECT_EQ(hidden[1], 0); // half a value reads as 0
    // Reading left the files as they were.
    EXPECT_EQ(File("Page6.dat"), shortPage);
}

TEST_F(PageFilesTest, OverlongTextsStayInsideTheirFields) {
    ClipArray clips;
    clips[0] = QString(250, 'a');
    clips[1] = "next";
    ASSERT_TRUE(WritePage(folder, 1, QString(40, 'p'), clips));
    EXPECT_EQ(File("Page1.dat").size(), 8030);
    EXPECT_EQ(ReadPassword(folder, 1), QString(30, 'p'));
    EXPECT_EQ(ReadClips(folder, 1)[0], QString(200, 'a'));
    EXPECT_EQ(ReadClips(folder, 1)[1], "next");
    ASSERT_TRUE(WriteUrl(folder, 0, QString(1200, 'w')));
    ASSERT_TRUE(WriteUrl(folder, 1, "one"));
    EXPECT_EQ(ReadUrl(folder, 0), QString(1000, 'w'));
    EXPECT_EQ(ReadUrl(folder, 1), "one");
}

TEST_F(PageFilesTest, UnwritableFolderFailsAndNamesTheFile) {
    ClipSet entry;
    entry.Slot = 0;
    entry.Url = "x";
    const QString missing = t.program.ProgramFolder + "nope/";
    QString failed;
    EXPECT_FALSE(WriteEntryFiles(missing, entry, &failed));
    EXPECT_EQ(failed, missing + "url.dat");

    // The URL is written, the page file cannot be.
    QDir().mkpath(folder + "Page0.dat"); // a folder where the file should be
    EXPECT_FALSE(WriteEntryFiles(folder, entry, &failed));
    EXPECT_EQ(failed, folder + "Page0.dat");
    EXPECT_EQ(ReadUrl(folder, 0), "x");
}

TEST(SaveClipSet, WritesTheNamesRecordAndTheEntryFiles) {
    TestProgram t;
    Program& p = t.program;
    QDir().mkpath(p.LibraryFolder);
    QString reported;
    p.onWriteFailed = [&](const QString& path) { reported = path; };
    ClipSet entry;
    entry.Slot = 5;
    entry.Name = ""; // stored and shown as "Untitled"
    entry.Color = 0x00C0C0FF;
    entry.Url = "example.com";
    entry.Clips[0] = "me";
    entry.Hidden[0] = 1;
    ASSERT_TRUE(SaveClipSet(p, entry));
    EXPECT_EQ(p.SlotNames[5], "Untitled");
    EXPECT_EQ(p.SlotColors[5], 0x00C0C0FFu); // reloaded from the file
    const QByteArray names = TestProgram::ReadAll(p.LibraryFolder + "Names.dat");
    ASSERT_GE(names.size(), 6 * 34);
    EXPECT_EQ(names.mid(5 * 34, 34),
              QByteArray("Untitled").leftJustified(30, ' ') + Bytes({0xFF, 0xC0, 0xC0, 0x00}));
    ClipSet read;
    ReadEntryFiles(p.LibraryFolder, 5, read);
    EXPECT_EQ(read.Url, "example.com");
    EXPECT_EQ(read.Clips[0], "me");
    EXPECT_EQ(read.Hidden[0], 1);
    EXPECT_TRUE(reported.isEmpty());

    // A page file that cannot be written is reported, and the save says so.
    QDir().mkpath(p.LibraryFolder + "Page6.dat");
    entry.Slot = 6;
    entry.Name = "Six";
    EXPECT_FALSE(SaveClipSet(p, entry));
    EXPECT_EQ(reported, p.LibraryFolder + "Page6.dat");
    EXPECT_EQ(p.SlotNames[6], "Six");
}
