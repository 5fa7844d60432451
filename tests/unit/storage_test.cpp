// The stored files, byte for byte: Windows-1252 text, the never-truncating private data
// files, "Names.dat" / "Libnames.dat", the entry files, the note files and "Kelpo.ini".
// Users' existing data is read by these rules, so every layout is compared as bytes.
#include "TestProgram.h"
#include "core/Ansi.h"
#include "entries/NoteFile.h"
#include "entries/PageFiles.h"
#include "storage/DataFile.h"
#include "storage/DataFolder.h"
#include "storage/Names.h"
#include "storage/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace kelpo;

namespace {

QByteArray Read(const QString& path) {
    return TestProgram::ReadAll(path);
}

mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

// A 34-byte name record: the name padded to 30, then the colour little-endian.
QByteArray RecordBytes(const QByteArray& name, quint32 color) {
    return name.leftJustified(30, ' ') + Bytes({int(color & 0xFF), int(color >> 8 & 0xFF),
                                                int(color >> 16 & 0xFF), int(color >> 24)});
}

const QByteArray BlankNames = RecordBytes("", 0x00FFFFFF).repeated(51);

// A names file of blank records but for `record` in `slot`.
QByteArray BlankBut(int slot, const QByteArray& record) {
    return QByteArray(BlankNames).replace(slot * 34, 34, record);
}

} // namespace

TEST(Ansi, EveryByteRoundTripsAndOtherCharactersBecomeQuestionMarks) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
    EXPECT_EQ(ToAnsi(QString::fromUtf8("€ŠœŸéa☃b")), QByteArray("\x80\x8A\x9C\x9F\xE9"
                                                                "a?b"));
    EXPECT_FALSE(IsAnsiText(QString::fromUtf8("Ω")));
    EXPECT_TRUE(IsAnsiText(QString::fromUtf8("Ærø ß €")));
}

TEST(DataFile, PrivateInPlaceNeverTruncatedAndShortReadsPad) {
    TestProgram t;
    const QString path = t.Path("x.dat");
    const mode_t oldMask = ::umask(0);
    EXPECT_TRUE(DataFile(path).WriteAt(0, "0123456789"));
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(path), 0600u);
    {
        DataFile file(path);
        EXPECT_TRUE(file.WriteAt(2, "ab"));
        EXPECT_TRUE(file.WriteAt(12, "Z"));
    }
    EXPECT_EQ(Read(path), QByteArray("01ab456789\0\0Z", 13));

    // A read-only file is made writable; a file found readable by others is narrowed.
    TestProgram::WriteAll(t.Path("ro.dat"), "abc");
    ASSERT_EQ(::chmod(QFile::encodeName(t.Path("ro.dat")).constData(), 0444), 0);
    DataFile file(t.Path("ro.dat"));
    EXPECT_TRUE(file.WriteAt(3, "d"));
    EXPECT_EQ(file.ReadPadded(2, 5), QByteArray("cd   "));
    EXPECT_EQ(file.ReadAt(10, 5), QByteArray());
    EXPECT_EQ(ModeOf(t.Path("ro.dat")) & 077, 0u);
}

TEST(DataFile, WholeFileIsReplacedByANewFileOrNotAtAll) {
    TestProgram t;
    const QString path = t.Path("Page3.dat");
    TestProgram::WriteAll(path, "old contents");
    // A second name for the old file: an in-place write would change it too.
    ASSERT_EQ(::link(qPrintable(path), qPrintable(t.Path("old-link"))), 0);
    ASSERT_TRUE(ReplaceWholeFile(path, "new"));
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Read(t.Path("old-link")), "old contents");
    EXPECT_EQ(ModeOf(path), 0600u);

    // A target that cannot be replaced (a folder holding a file) stays as it was.
    QDir().mkpath(t.Path("Page4.dat"));
    TestProgram::WriteAll(t.Path("Page4.dat/keep"), "k");
    EXPECT_FALSE(ReplaceWholeFile(t.Path("Page4.dat"), "new"));
    EXPECT_EQ(Read(t.Path("Page4.dat/keep")), "k");
    EXPECT_FALSE(ReplaceWholeFile(t.Path("no-such-folder/Page5.dat"), "new"));
    // No temporary file is left behind either way.
    EXPECT_EQ(QDir(t.Path("")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"Page3.dat", "old-link"}));
}

TEST(DataFile, NeverWritesOrChangesAFileOutsideThroughALink) {
    TestProgram t;
    const QString outside = t.dir.path() + "/elsewhere/";
    ASSERT_TRUE(QDir().mkpath(outside));
    // The mode of each link's target; 0: the link points nowhere.
    const std::pair<const char*, mode_t> links[] = {
        {"Kelpo.ini", 0444}, {"Page3.dat", 0666}, {"Names.dat", 0}};
    for (const auto& [name, mode] : links) {
        const QString target = outside + name;
        const QByteArray text = mode ? "outside text, not ours" : "";
        if (mode) {
            TestProgram::WriteAll(target, text);
            ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), mode), 0);
        }
        ASSERT_TRUE(QFile::link(target, t.Path(name)));
        {
            DataFile file(t.Path(name));
            EXPECT_FALSE(file.WriteAt(0, "secret")) << name;
            // What the link shows is still read: nothing the user had is hidden.
            EXPECT_EQ(file.ReadAt(0, 7), text.left(7)) << name;
        }
        EXPECT_EQ(ModeOf(target), mode) << name;
        EXPECT_EQ(Read(target), text) << name;
    }
}

TEST(DataFolder, ThePerUserFolderAndItsLibrariesAreTheUsersAlone) {
    TestProgram t;
    const QString perUser = t.dir.path() + "/share/Kelpo", data = perUser + "/";
    const mode_t oldMask = ::umask(0022);
    EXPECT_TRUE(MakeDataFolder(t.dir.path() + "/chosen/", perUser));
    EXPECT_EQ(ModeOf(t.dir.path() + "/chosen"), 0755u); // a folder the user chose keeps its rights
    QDir().mkpath(perUser);                             // found wider, it is narrowed
    EXPECT_TRUE(MakeDataFolder(data, perUser));
    t.program.ProgramFolder = data;
    t.program.LibraryFolder = data + "Lib1/";
    LoadNames(t.program);
    EXPECT_TRUE(WriteNameRecord(t.program, data + "Lib7/", 3, "Bank", 1));
    ::umask(oldMask);
    for (const char* folder : {"", "Lib1", "Lib7"})
        EXPECT_EQ(ModeOf(data + folder), 0700u) << folder;
}

TEST(NameFiles, ReadByTheRulesAndShortFilesStayAsTheyAre) {
    TestProgram t;
    // Trailing blanks go, leading ones stay; colour 0 is white; Windows-1252; full width;
    // a record cut short still gives its name.
    const QByteArray names = RecordBytes("Bank", 0x000000FF) + RecordBytes("  Mail", 0) +
                             RecordBytes("Caf\xE9 \x80uro", 0x01020304) +
                             RecordBytes(QByteArray(30, 'x'), 0x00C0FFEE) +
                             QByteArray("Thr").leftJustified(30, ' ') + "\x01\x02";
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), names);
    TestProgram::WriteAll(t.Path("Libnames.dat"), "Home         Wo");
    t.program.SlotNames[40] = "stale"; // from another library
    LoadNames(t.program);
    LoadLibraryNames(t.program);
    const std::tuple<int, QString, quint32> records[] = {
        {0, "Bank", 0x000000FF},           {1, "  Mail", 0x00FFFFFF}, {2, "Café €uro", 0x01020304},
        {3, QString(30, 'x'), 0x00C0FFEE}, {4, "Thr", 0x00FFFFFF},    {40, "", 0x00FFFFFF}};
    for (const auto& [slot, name, color] : records) {
        EXPECT_EQ(t.program.SlotNames[slot], name) << slot;
        EXPECT_EQ(t.program.SlotColors[slot], color) << slot;
    }
    EXPECT_EQ(t.program.LibraryNames[0], "Home");
    EXPECT_EQ(t.program.LibraryNames[1], "Wo");
    EXPECT_EQ(Read(t.LibraryPath("Names.dat")), names);
}

TEST(NameFiles, RecordsAreWrittenInPlaceCutToTheFieldWithDefaultsAround) {
    TestProgram t;
    TestProgram::WriteAll(t.Path("Libnames.dat"), ""); // a missing file is created the same way
    LoadLibraryNames(t.program);
    LoadNames(t.program);
    EXPECT_EQ(Read(t.LibraryPath("Names.dat")), BlankNames);

    // A name longer than its field is cut rather than spilling into slot 8.
    ASSERT_TRUE(WriteSlotName(t.program, 7, QString(35, 'y'), 0x00AABBCC));
    EXPECT_EQ(Read(t.LibraryPath("Names.dat")),
              BlankBut(7, RecordBytes(QByteArray(30, 'y'), 0xAABBCC)));
    ASSERT_TRUE(WriteLibraryName(t.program, 4, "Thirteen char"));
    ASSERT_TRUE(WriteLibraryName(t.program, 5, "Much too long a name"));
    EXPECT_EQ(Read(t.Path("Libnames.dat")), QByteArray("Library 1").leftJustified(4 * 13, ' ') +
                                                "Thirteen charMuch too long" +
                                                QByteArray(13 * 13, ' '));
    EXPECT_FALSE(WriteSlotName(t.program, 51, "x", 0));
    EXPECT_FALSE(WriteLibraryName(t.program, 19, "x"));

    // Another library's folder that does not exist yet; the current tables stay alone.
    ASSERT_TRUE(WriteNameRecord(t.program, t.Path("Lib3/"), 5, "Moved", 0x00808080));
    EXPECT_EQ(Read(t.Path("Lib3/Names.dat")), BlankBut(5, RecordBytes("Moved", 0x00808080)));
    EXPECT_EQ(t.program.SlotNames[5], "");
    // Only the library folder itself is made, never a data folder above it.
    t.program.LibraryFolder = t.Path("missing/Lib1/");
    LoadNames(t.program);
    EXPECT_FALSE(QFileInfo::exists(t.Path("missing")));
    t.program.LibraryFolder = t.Path("Lib1/");
    // A short file is filled with blank records up to the one written, never zeros.
    const QByteArray shortFile = RecordBytes("A", 0x0000FF00) + QByteArray("B");
    TestProgram::WriteAll(t.LibraryPath("Names.dat"), shortFile);
    ASSERT_TRUE(WriteSlotName(t.program, 3, "D", 0x00FF0000));
    EXPECT_EQ(Read(t.LibraryPath("Names.dat")),
              shortFile + BlankNames.mid(35, 3 * 34 - 35) + RecordBytes("D", 0x00FF0000));
}

namespace {

struct PageFilesTest : ::testing::Test {
    TestProgram t;
    QString folder = t.program.LibraryFolder;
    void SetUp() override { QDir().mkpath(folder); }
    QByteArray File(const QString& name) { return Read(folder + name); }
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

TEST_F(PageFilesTest, ReadsBackWhatWasWrittenToTheLastBlankAndDistrustsAStaleTrailer) {
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

    // "ab" has the same page bytes as "abß": the old trailer must not bring the ß back.
    ASSERT_TRUE(WritePage(folder, 4, {}, ClipArray{"ab" + sz}));
    ASSERT_TRUE(WritePage(folder, 4, {}, ClipArray{"ab"}));
    EXPECT_EQ(ReadClips(folder, 4)[0], "ab");
    // A page rewritten by something that knows nothing of the trailer.
    ASSERT_TRUE(WritePage(folder, 4, {}, ClipArray{"ab" + sz}));
    QByteArray page = File("Page4.dat"), other = "cd";
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

TEST_F(PageFilesTest, NotesShowDropEmptyOnesAndASaveWritesExactlyTheTextOrNothing) {
    // The bytes found, what is shown, and whether the file is still there after a look.
    const std::tuple<QByteArray, QString, bool> cases[] = {
        {"", "", false},
        {"   ", "   ", false},  // shown once, then gone
        {"\r\n", "\r\n", true}, // a line break is text, not a blank
        {"Pin 1234\r\nDoor \x80 5", QString::fromUtf8("Pin 1234\r\nDoor € 5"), true}};
    for (const auto& [bytes, shown, kept] : cases) {
        TestProgram::WriteAll(folder + "Note7.txt", bytes);
        EXPECT_EQ(LookAtNote(folder, 7), shown) << bytes.data();
        EXPECT_EQ(LookAtNote(folder, 7), kept ? shown : QString()) << bytes.data();
    }
    // A shorter note leaves nothing of the longer one behind; 20000 characters fit.
    TestProgram::WriteAll(folder + "Note49.txt", QByteArray(NoteMaxLength + 5, 'x'));
    ASSERT_TRUE(SaveNote(folder, 49, QString::fromUtf8("one\r\n\r\nthree é")));
    EXPECT_EQ(File("Note49.txt"), QByteArray("one\r\n\r\nthree \xE9"));
    ASSERT_TRUE(SaveNote(folder, 49, QString(NoteMaxLength, 'n')));
    EXPECT_EQ(File("Note49.txt"), QByteArray(NoteMaxLength, 'n'));
    // A character the file cannot hold, or a folder that cannot be written: the old note
    // stays, and nothing of the attempts is left beside it.
    EXPECT_FALSE(SaveNote(folder, 49, QString::fromUtf8("new 😀")));
    EXPECT_FALSE(SaveNote(folder + "Note49.txt/", 49, "new"));
    EXPECT_EQ(File("Note49.txt"), QByteArray(NoteMaxLength, 'n'));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Note49.txt", "Note7.txt"}));
    EXPECT_EQ(NoteCrLfs(NoteLineFeeds("a\r\nb\r\n\r\n")), "a\r\nb\r\n\r\n");
    EXPECT_EQ(NoteLineFeeds("a\r\nb"), "a\nb");
}

namespace {

// An 800 x 600 pixel screen at 15 twips per pixel, and a main window of 400 x 500 pixels.
const QSize Screen(12000, 9000);
const QSize Main(6000, 7500);

// The 42-byte record built by hand, field by field: the version, then 16-bit and 32-bit
// little-endian fields, `wide` marking the 32-bit ones.
QByteArray Record(const char* version, std::initializer_list<qint64> fields) {
    static const bool wide[] = {0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0};
    QByteArray out(version, 4);
    int i = 0;
    for (qint64 v : fields) {
        const int size = wide[i++] ? 4 : 2;
        for (int b = 0; b < size; ++b)
            out.append(char(v >> (8 * b) & 0xFF));
    }
    return out;
}

const QByteArray FirstRun = Record("4.00", {0, 750, 3000, 750, 8750, 0, 0, 0, 0, 0, 0, 0, 0});

} // namespace

TEST(Settings, FieldsSitAtTheirOffsetsAndForeignFilesStartOver) {
    // Every field differs, so a decoder that mixes two up cannot give the same bytes back.
    const QByteArray bytes =
        Record("4.00", {18, 1234, -15, 70000, 8750, 7, -2, 49, 300, 1, 0x12345678, -1, 1});
    const Settings s{"4.00", 18, 1234, -15, 70000, 8750, 7, -2, 49, 300, 1, 0x12345678, -1, 1};
    EXPECT_EQ(EncodeSettings(s), bytes);
    EXPECT_EQ(EncodeSettings(DecodeSettings(bytes)), bytes);

    // The file as found, and what is read from it. A missing, empty or foreign file gives
    // first-run values, written at once; a record of ours, even out of range or short,
    // stays as it is on disk and is corrected in memory only.
    const std::pair<QByteArray, QByteArray> cases[] = {
        {QByteArray(), FirstRun},
        {QByteArray("4.0"), FirstRun},
        {"4.0 " + FirstRun.mid(4), FirstRun},
        // Another version's fields are all dropped, not only its version.
        {Record("3.10", {4, 10, 20, 30, 40, 5, 6, 7, 8, 1, 9, 9, 1}), FirstRun},
        {QByteArray(42, '\0'), FirstRun},
        {Record("4.00", {19, 10, 20, 0, 0, 0, 0, 50, 0, 2, 0, 0, -1}),
         Record("4.00", {0, 10, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {Record("4.00", {-1, 10, 20, 0, 0, 0, 0, -3, 0, 1, 0, 0, 1}),
         Record("4.00", {0, 10, 20, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1})},
        // Cut inside the main window's left: the low bytes are kept.
        {Record("4.00", {4, 10, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).left(12),
         Record("4.00", {4, 10, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}};
    for (const auto& [stored, read] : cases) {
        TestProgram t;
        if (!stored.isNull())
            TestProgram::WriteAll(t.Path("Kelpo.ini"), stored);
        const bool firstRun = read == FirstRun;
        EXPECT_EQ(LoadSettings(t.program, Screen, Main), firstRun) << stored.toHex().constData();
        EXPECT_EQ(EncodeSettings(t.program.settings), read) << stored.toHex().constData();
        EXPECT_EQ(Read(t.Path("Kelpo.ini")), firstRun ? FirstRun : stored);
    }
}

TEST(Settings, SavingKeepsReservedFieldsAndLaterBytesAndReportsAFullDiskOnce) {
    TestProgram t;
    const QByteArray tail = "tail of a newer version";
    TestProgram::WriteAll(t.Path("Kelpo.ini"),
                          Record("4.00", {2, 10, 20, 30, 40, 11, 12, 7, 13, 0, 14, 15, 0}) + tail);
    LoadSettings(t.program, Screen, Main);
    // The options dialog changes offsets 30 and 40 through SaveSettings.
    t.program.settings.MinimizeToTray = 1;
    t.program.settings.QuickHelpOff = 1;
    ASSERT_TRUE(SaveSettings(t.program));
    EXPECT_EQ(Read(t.Path("Kelpo.ini")),
              Record("4.00", {2, 10, 20, 30, 40, 11, 12, 7, 13, 1, 14, 15, 1}) + tail);

    QStringList reported;
    t.program.onWriteFailed = [&](const QString& path) { reported.append(path); };
    ASSERT_TRUE(QFile::remove(t.Path("Kelpo.ini")) &&
                QFile::link("/dev/full", t.Path("Kelpo.ini")));
    EXPECT_FALSE(SaveSettings(t.program));
    EXPECT_FALSE(SaveSettings(t.program));
    EXPECT_EQ(reported, QStringList{t.Path("Kelpo.ini")});
}

TEST(Settings, OffScreenWindowPositionsComeBackAndAreSaved) {
    // Insertion window top and left, then the main window's, before and after.
    const std::array<int, 8> cases[] = {// On screen, at the very edge of the margin: kept.
                                        {8500, 11500, 8500, 11500, 8500, 11500, 8500, 11500},
                                        // One twip beyond the margin: corrected.
                                        {8500, 11501, 8501, 11500, 750, 8750, 750, 3000},
                                        // Saved on a larger screen, or negative.
                                        {-1, 100, 100, 20000, 750, 8750, 750, 3000}};
    for (const auto& c : cases) {
        TestProgram t;
        Settings& s = t.program.settings;
        s = DecodeSettings(Record("4.00", {0, c[2], c[3], c[0], c[1], 0, 0, 0, 0, 0, 0, 0, 0}));
        CheckWindowPositions(t.program, Screen, Main);
        EXPECT_EQ((std::array<int, 4>{s.InsertTop, s.InsertLeft, s.MainTop, s.MainLeft}),
                  (std::array<int, 4>{c[4], c[5], c[6], c[7]}));
        const bool changed = c[0] != c[4] || c[1] != c[5] || c[2] != c[6] || c[3] != c[7];
        EXPECT_EQ(Read(t.Path("Kelpo.ini")), changed ? EncodeSettings(s) : QByteArray());
    }
}
