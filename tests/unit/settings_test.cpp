// "Kelpo.ini": the 42-byte record, first-run values, range checks and window positions.
#include "TestProgram.h"
#include "storage/Settings.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

// An 800 x 600 pixel screen at 15 twips per pixel, and a main window of 400 x 500 pixels.
const QSize Screen(12000, 9000);
const QSize Main(6000, 7500);

QByteArray Le16(int v) {
    return QByteArray() + char(v & 0xFF) + char((v >> 8) & 0xFF);
}
QByteArray Le32(qint64 v) {
    return Le16(int(v & 0xFFFF)) + Le16(int((v >> 16) & 0xFFFF));
}

// A record built by hand, field by field, to compare the encoder against.
QByteArray Record(const char* version, int library, qint64 mainTop, qint64 mainLeft,
                  qint64 insertTop, qint64 insertLeft, int r1, int r2, int lastSlot, int r3,
                  int tray, qint64 r4, qint64 r5, int helpOff) {
    return QByteArray(version, 4) + Le16(library) + Le32(mainTop) + Le32(mainLeft) +
           Le32(insertTop) + Le32(insertLeft) + Le16(r1) + Le16(r2) + Le16(lastSlot) + Le16(r3) +
           Le16(tray) + Le32(r4) + Le32(r5) + Le16(helpOff);
}

const QByteArray FirstRun = Record("4.00", 0, 750, 3000, 750, 8750, 0, 0, 0, 0, 0, 0, 0, 0);

} // namespace

TEST(SettingsRecord, FieldsSitAtTheirOffsetsLittleEndian) {
    // Every field differs, so a decoder that mixes two up cannot give the same bytes back.
    const QByteArray bytes =
        Record("4.00", 18, 1234, -15, 70000, 8750, 7, -2, 49, 300, 1, 0x12345678, -1, 1);
    const Settings s{"4.00", 18, 1234, -15, 70000, 8750, 7, -2, 49, 300, 1, 0x12345678, -1, 1};
    EXPECT_EQ(EncodeSettings(s), bytes);
    EXPECT_EQ(EncodeSettings(DecodeSettings(bytes)), bytes);
}

TEST(LoadSettings, ForeignFilesStartOverAndOurOwnAreCorrectedInMemoryOnly) {
    // The file as found, and what is read from it. A missing, empty or foreign file gives
    // first-run values, written at once; a record of ours, even out of range or short, stays.
    const std::pair<QByteArray, QByteArray> cases[] = {
        {QByteArray(), FirstRun},
        {QByteArray("4.0"), FirstRun},
        {"4.0 " + FirstRun.mid(4), FirstRun},
        // Another version's fields are all dropped, not only its version.
        {Record("3.10", 4, 10, 20, 30, 40, 5, 6, 7, 8, 1, 9, 9, 1), FirstRun},
        {QByteArray(42, '\0'), FirstRun},
        {Record("4.00", 19, 10, 20, 0, 0, 0, 0, 50, 0, 2, 0, 0, -1),
         Record("4.00", 0, 10, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)},
        {Record("4.00", -1, 10, 20, 0, 0, 0, 0, -3, 0, 1, 0, 0, 1),
         Record("4.00", 0, 10, 20, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1)},
        // Cut inside the main window's left: the low bytes are kept.
        {Record("4.00", 4, 10, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0).left(12),
         Record("4.00", 4, 10, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)}};
    for (const auto& [stored, read] : cases) {
        TestProgram t;
        if (!stored.isNull())
            TestProgram::WriteAll(t.Path("Kelpo.ini"), stored);
        const bool firstRun = read == FirstRun;
        EXPECT_EQ(LoadSettings(t.program, Screen, Main), firstRun) << stored.toHex().constData();
        EXPECT_EQ(EncodeSettings(t.program.settings), read) << stored.toHex().constData();
        EXPECT_EQ(TestProgram::ReadAll(t.Path("Kelpo.ini")), firstRun ? FirstRun : stored);
    }
}

TEST(SaveSettings, WritesReservedFieldsAsReadKeepsBytesBeyondTheRecordReportsAFullDisk) {
    TestProgram t;
    const QByteArray record = Record("4.00", 2, 10, 20, 30, 40, 11, 12, 7, 13, 0, 14, 15, 0);
    TestProgram::WriteAll(t.Path("Kelpo.ini"), record + "tail of a newer version");
    LoadSettings(t.program, Screen, Main);

    // The options dialog changes offsets 30 and 40 through SaveSettings.
    t.program.settings.MinimizeToTray = 1;
    t.program.settings.QuickHelpOff = 1;
    ASSERT_TRUE(SaveSettings(t.program));
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Kelpo.ini")),
              Record("4.00", 2, 10, 20, 30, 40, 11, 12, 7, 13, 1, 14, 15, 1) +
                  "tail of a newer version");

    // A full disk is reported once, however often the options are saved.
    QStringList reported;
    t.program.onWriteFailed = [&](const QString& path) { reported.append(path); };
    ASSERT_TRUE(QFile::remove(t.Path("Kelpo.ini")) &&
                QFile::link("/dev/full", t.Path("Kelpo.ini")));
    EXPECT_FALSE(SaveSettings(t.program));
    EXPECT_FALSE(SaveSettings(t.program));
    EXPECT_EQ(reported, QStringList{t.Path("Kelpo.ini")});
}

TEST(CheckWindowPositions, OffScreenPositionsComeBackAndAreSaved) {
    // Insertion window top and left, then the main window's, before and after.
    const std::array<int, 8> cases[] = {
        // On screen, at the very edge of the margin: kept.
        {8500, 11500, 8500, 11500, 8500, 11500, 8500, 11500},
        // One twip beyond the margin: corrected.
        {8500, 11501, 8501, 11500, 750, 8750, 750, 3000},
        // Saved on a larger screen, or negative.
        {-1, 100, 100, 20000, 750, 8750, 750, 3000},
    };
    for (const auto& c : cases) {
        TestProgram t;
        Settings& s = t.program.settings;
        s = DecodeSettings(Record("4.00", 0, c[2], c[3], c[0], c[1], 0, 0, 0, 0, 0, 0, 0, 0));
        CheckWindowPositions(t.program, Screen, Main);
        EXPECT_EQ((std::array<int, 4>{s.InsertTop, s.InsertLeft, s.MainTop, s.MainLeft}),
                  (std::array<int, 4>{c[4], c[5], c[6], c[7]}));
        const bool changed = c[0] != c[4] || c[1] != c[5] || c[2] != c[6] || c[3] != c[7];
        EXPECT_EQ(TestProgram::ReadAll(t.Path("Kelpo.ini")),
                  changed ? EncodeSettings(s) : QByteArray());
    }
}
