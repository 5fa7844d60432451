// The entry files: byte images of "url.dat", "Page<n>.dat" and "Page<n>.h", and reading
// them back from whole, short, missing and foreign files.
#include "TestProgram.h"
#include "entries/PageFiles.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

struct PageFilesTest : ::testing::Test {
    TestProgram t;
    QString folder = t.program.LibraryFolder;
    void SetUp() override { QDir().mkpath(folder); }
    QByteArray File(const QString& name) { return TestProgram::ReadAll(folder + name); }
};

} // namespace

TEST_F(PageFilesTest, WritesTheDescribedBytesAndKeepsWhatLiesAround) {
    ClipSet entry{.Slot = 7, .Name = "", .Url = "example.com/a b", .Password = "pw", .Clips = {}};
    entry.Clips[0] = "abc";
    entry.Clips[2] = QString::fromUtf8("é€ "); // Windows-1252: "€" is 0x80
    entry.Hidden[2] = 1;
    // "url.dat" 2000 bytes long grows to 8000 with the record at 7000; a longer page file
    // keeps its bytes beyond the page.
    TestProgram::WriteAll(folder + "url.dat", QByteArray(2000, 'u'));
    TestProgram::WriteAll(folder + "Page7.dat", QByteArray(9000, 'k'));
    ASSERT_TRUE(WriteEntryFiles(folder, entry));

    EXPECT_EQ(File("url.dat"), QByteArray(2000, 'u') + QByteArray(5000, '\0') +
                                   QByteArray("example.com/a b").leftJustified(1000, ' '));
    QByteArray expected = Bytes({255 - 'p', 255 - 'w'}) + QByteArray(28, ' ');
    expected += Bytes({158, 157, 156}) + QByteArray(197 + 200, ' ');
    expected += Bytes({255 - 0xE9, 255 - 0x80, 255 - ' '}) + QByteArray(197 + 37 * 200, ' ');
    EXPECT_EQ(File("Page7.dat"), expected + QByteArray(970, 'k')); // nothing ends in 0xDF
    EXPECT_EQ(File("Page7.h"), QByteArray(4, '\0') + Bytes({1}) + QByteArray(75, '\0'));
}

TEST_F(PageFilesTest, ReadsBackWhatWasWrittenToTheLastBlank) {
    // "ß" scrambles to a blank, so a field ending in it would read back cut without the
    // trailer; the page bytes themselves stay the plain format.
    const QString sz = QString::fromUtf8("ß");
    const ClipSet entry{
        .Slot = 12,
        .Name = "",
        .Url = "  www.example.com/?q=a b",
        .Password = "geheim" + sz,
        .Clips = {"Stra" + sz, sz + sz, "a" + sz + " " + sz, QString(199, 'q') + sz,
                  "xy ",                  // a trailing blank is kept (its scrambled form is 0xDF)
                  " lead",                // leading blanks too
                  QString::fromUtf8("ÿ"), // scrambles to a zero byte, which is text here
                  QString(200, 'z')},
        .Hidden = {1, 0, 1}};
    ASSERT_TRUE(WriteEntryFiles(folder, entry));

    ClipSet read;
    ReadEntryFiles(folder, 12, read);
    EXPECT_EQ(read.Url, entry.Url);
    EXPECT_EQ(read.Password, entry.Password);
    EXPECT_EQ(read.Clips, entry.Clips);
    EXPECT_EQ(read.Hidden, entry.Hidden);
}

TEST_F(PageFilesTest, StaleOrForeignTrailerIsNotBelieved) {
    const QString sz = QString::fromUtf8("ß");
    ClipArray clips{"ab" + sz};
    ASSERT_TRUE(WritePage(folder, 4, {}, clips));
    // "ab" has the same page bytes as "abß": the old trailer must not bring the ß back.
    clips[0] = "ab";
    ASSERT_TRUE(WritePage(folder, 4, {}, clips));
    EXPECT_EQ(ReadClips(folder, 4)[0], "ab");

    // A page rewritten by something that knows nothing of the trailer.
    clips[0] = "ab" + sz;
    ASSERT_TRUE(WritePage(folder, 4, {}, clips));
    QByteArray page = File("Page4.dat"), other = "cd";
    // The blank after it stays: it now looks like padding.
    TestProgram::WriteAll(folder + "Page4.dat", page.replace(30, 2, ScrambleText(other)));
    EXPECT_EQ(ReadClips(folder, 4)[0], "cd");

    // A count the field cannot hold is ignored for that field alone.
    PageImage image = EncodePage({}, ClipArray{"x" + sz});
    image.trailer[PageTrailerTagSize + 2] = char(201); // clip 1 has only 200 blanks
    EXPECT_EQ(TrailerCounts(image.page, image.trailer)[2], 0);
}

TEST_F(PageFilesTest, MissingShortAndOverlongReadAndWriteInsideTheirFields) {
    EXPECT_EQ(ReadClips(folder, 9), ClipArray{});

    // A gap record of zero bytes, and a record that lies beyond the end; an overlong URL.
    ASSERT_TRUE(WriteUrl(folder, 5, "five"));
    ASSERT_TRUE(WriteUrl(folder, 0, QString(1200, 'w')));
    EXPECT_EQ(File("url.dat").size(), 6000);
    EXPECT_EQ(ReadUrl(folder, 0), QString(1000, 'w'));
    EXPECT_EQ(ReadUrl(folder, 5), "five");
    EXPECT_EQ(ReadUrl(folder, 50), "");

    // A page file cut inside clip 0, a hide file with one and a half values; reading
    // leaves them as they were.
    const QByteArray shortPage = Bytes({255 - 'k'}) + QByteArray(29, ' ') + Bytes({255 - 'h'});
    TestProgram::WriteAll(folder + "Page6.dat", shortPage);
    TestProgram::WriteAll(folder + "Page6.h", Bytes({1, 0, 1}));
    EXPECT_EQ(ReadPassword(folder, 6), "k");
    EXPECT_EQ(ReadClips(folder, 6), ClipArray{"h"});
    EXPECT_EQ(ReadHidden(folder, 6), (HideArray{1}));
    EXPECT_EQ(File("Page6.dat"), shortPage);

    // Overlong texts are cut rather than spilling into the next field.
    ASSERT_TRUE(WritePage(folder, 1, QString(40, 'p'), ClipArray{QString(250, 'a'), "next"}));
    EXPECT_EQ(File("Page1.dat").size(), PageFileSize);
    EXPECT_EQ(ReadPassword(folder, 1), QString(30, 'p'));
    EXPECT_EQ(ReadClips(folder, 1), (ClipArray{QString(200, 'a'), "next"}));
}

TEST(SaveClipSet, WritesTheNameAndTheEntryFilesAndReportsAFailedPage) {
    TestProgram t;
    Program& p = t.program;
    QDir().mkpath(p.LibraryFolder);
    QString reported;
    p.onWriteFailed = [&](const QString& path) { reported = path; };
    ClipSet entry{.Slot = 5, .Name = "", .Url = "example.com", .Password = "", .Clips = {"me"}};
    ASSERT_TRUE(SaveClipSet(p, entry));
    EXPECT_EQ(TestProgram::ReadAll(p.LibraryFolder + "Names.dat").mid(5 * 34, 8), "Untitled");
    EXPECT_EQ(ReadClips(p.LibraryFolder, 5), entry.Clips);

    // A page file that cannot be written (a folder in its place) is reported, the URL
    // before it is written, and the save says so.
    QDir().mkpath(p.LibraryFolder + "Page6.dat");
    entry.Slot = 6;
    entry.Url = "six";
    EXPECT_FALSE(SaveClipSet(p, entry));
    EXPECT_EQ(reported, p.LibraryFolder + "Page6.dat");
    EXPECT_EQ(ReadUrl(p.LibraryFolder, 6), "six");
}
