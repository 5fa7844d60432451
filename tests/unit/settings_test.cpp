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

} // namespace

TEST(SettingsRecord, FieldsSitAtTheirOffsetsLittleEndian) {
    const QByteArray bytes =
        Record("4.00", 18, 1234, -15, 70000, 8750, 7, -2, 49, 300, 1, 0x12345678, -1, 1);
    ASSERT_EQ(bytes.size(), SettingsSize);
    const Settings s = DecodeSettings(bytes);
    EXPECT_EQ(s.Version, QByteArray("4.00"));
    EXPECT_EQ(s.Library, 18);
    EXPECT_EQ(s.MainTop, 1234);
    EXPECT_EQ(s.MainLeft, -15);
    EXPECT_EQ(s.InsertTop, 70000);
    EXPECT_EQ(s.InsertLeft, 8750);
    EXPECT_EQ(s.Reserved1, 7);
    EXPECT_EQ(s.Reserved2, -2);
    EXPECT_EQ(s.LastSlot, 49);
    EXPECT_EQ(s.Reserved3, 300);
    EXPECT_EQ(s.MinimizeToTray, 1);
    EXPECT_EQ(s.Reserved4, 0x12345678);
    EXPECT_EQ(s.Reserved5, -1);
    EXPECT_EQ(s.QuickHelpOff, 1);
    EXPECT_EQ(EncodeSettings(s), bytes);

    // A short record reads as far as it goes; the field cut in half keeps its low bytes.
    const Settings cut = DecodeSettings(bytes.left(8));
    EXPECT_EQ(cut.Library, 18);
    EXPECT_EQ(cut.MainTop, 1234);
    EXPECT_EQ(cut.MainLeft, 0);
    EXPECT_EQ(cut.QuickHelpOff, 0);
}

TEST(LoadSettings, MissingEmptyOrForeignFileGivesFirstRunValuesWrittenAtOnce) {
    const QByteArray expected = Record("4.00", 0, 750, 3000, 750, 8750, 0, 0, 0, 0, 0, 0, 0, 0);
    for (const QByteArray& before :
         {QByteArray(), QByteArray(""), QByteArray("4.0"),
          Record("3.00", 5, 1, 2, 3, 4, 9, 9, 7, 9, 1, 9, 9, 1),
          Record("4.0 ", 0, 750, 3000, 750, 8750, 0, 0, 0, 0, 0, 0, 0, 0), QByteArray(42, '\0')}) {
        TestProgram t;
        if (!before.isNull())
            TestProgram::WriteAll(t.Path("Kelpo.ini"), before);
        EXPECT_TRUE(LoadSettings(t.program, Screen, Main)) << before.toHex().constData();
        EXPECT_EQ(TestProgram::ReadAll(t.Path("Kelpo.ini")), expected)
            << before.toHex().constData();
        EXPECT_EQ(EncodeSettings(t.program.settings), expected);
    }
}

TEST(LoadSettings, HalvesRoundToTheNearestTwipAndTheSecondStartIsNoFirstRun) {
    TestProgram t;
    EXPECT_TRUE(LoadSettings(t.program, QSize(12001, 9001), Main));
    EXPECT_EQ(t.program.settings.MainLeft, 3000); // 3000.5, ties to even
    EXPECT_EQ(t.program.settings.MainTop, 750);   // 750.5
    EXPECT_EQ(t.program.settings.InsertLeft, 8751);
    EXPECT_FALSE(LoadSettings(t.program, Screen, Main));
    EXPECT_EQ(t.program.settings.MainLeft, 3000);
}

TEST(LoadSettings, OutOfRangeValuesAreCorrectedInMemoryOnly) {
    TestProgram t;
    const QByteArray stored = Record("4.00", 19, 10, 20, 30, 40, 0, 0, 50, 0, 2, 0, 0, -1);
    TestProgram::WriteAll(t.Path("Kelpo.ini"), stored);
    EXPECT_FALSE(LoadSettings(t.program, Screen, Main));
    EXPECT_EQ(t.program.settings.Library, 0);
    EXPECT_EQ(t.program.settings.LastSlot, 0);
    EXPECT_EQ(t.program.settings.MinimizeToTray, 0);
    EXPECT_EQ(t.program.settings.QuickHelpOff, 0);
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Kelpo.ini")), stored);

    TestProgram::WriteAll(t.Path("Kelpo.ini"),
                          Record("4.00", -1, 10, 20, 30, 40, 0, 0, -3, 0, 1, 0, 0, 1));
    LoadSettings(t.program, Screen, Main);
    EXPECT_EQ(t.program.settings.Library, 0);
    EXPECT_EQ(t.program.settings.LastSlot, 0);
    EXPECT_EQ(t.program.settings.MinimizeToTray, 1);
    EXPECT_EQ(t.program.settings.QuickHelpOff, 1);
}

TEST(LoadSettings, ShortFileIsReadAsFarAsItGoesAndLeftAsItIs) {
    TestProgram t;
    const QByteArray stored = QByteArray("4.00") + Le16(4) + Le32(600) + Le16(900);
    TestProgram::WriteAll(t.Path("Kelpo.ini"), stored);
    EXPECT_FALSE(LoadSettings(t.program, Screen, Main));
    EXPECT_EQ(t.program.settings.Library, 4);
    EXPECT_EQ(t.program.settings.MainTop, 600);
    EXPECT_EQ(t.program.settings.MainLeft, 900);
    EXPECT_EQ(t.program.settings.InsertLeft, 0);
    EXPECT_EQ(TestProgram::ReadAll(t.Path("Kelpo.ini")), stored);
}

TEST(SaveSettings, WritesReservedFieldsAsReadAndKeepsBytesBeyondTheRecord) {
    TestProgram t;
    const QByteArray record = Record("4.00", 2, 10, 20, 30, 40, 11, 12, 7, 13, 0, 14, 15, 0);
    TestProgram::WriteAll(t.Path("Kelpo.ini"), record + "tail of a newer version");
    QFile::setPermissions(t.Path("Kelpo.ini"), QFileDevice::ReadOwner);
    LoadSettings(t.program, Screen, Main);

    // The options dialog changes offsets 30 and 40 through SaveSettings.
    t.program.settings.MinimizeToTray = 1;
    t.program.settings.QuickHelpOff = 1;
    ASSERT_TRUE(SaveSettings(t.program));
    const QByteArray after = TestProgram::ReadAll(t.Path("Kelpo.ini"));
    EXPECT_EQ(after, Record("4.00", 2, 10, 20, 30, 40, 11, 12, 7, 13, 1, 14, 15, 1) +
                         "tail of a newer version");
    EXPECT_TRUE(QFileInfo(t.Path("Kelpo.ini")).isWritable());
}

TEST(CheckWindowPositions, OffScreenPositionsComeBackAndAreSaved) {
    struct Case {
        int insertTop, insertLeft, mainTop, mainLeft;
        int wantInsertTop, wantInsertLeft, wantMainTop, wantMainLeft;
    };
    const Case cases[] = {
        // On screen, at the very edge of the margin: kept.
        {8500, 11500, 8500, 11500, 8500, 11500, 8500, 11500},
        // One twip beyond the margin: corrected.
        {8500, 11501, 8501, 11500, 750, 8750, 750, 3000},
        // Saved on a larger screen.
        {100, 100, 100, 20000, 100, 100, 750, 3000},
        // Negative.
        {-1, 100, 100, -1, 750, 8750, 750, 3000},
        {0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        TestProgram t;
        Settings& s = t.program.settings;
        s.Version = SettingsVersion;
        s.InsertTop = c.insertTop;
        s.InsertLeft = c.insertLeft;
        s.MainTop = c.mainTop;
        s.MainLeft = c.mainLeft;
        CheckWindowPositions(t.program, Screen, Main);
        EXPECT_EQ(s.InsertTop, c.wantInsertTop);
        EXPECT_EQ(s.InsertLeft, c.wantInsertLeft);
        EXPECT_EQ(s.MainTop, c.wantMainTop);
        EXPECT_EQ(s.MainLeft, c.wantMainLeft);
        const bool changed = c.insertTop != c.wantInsertTop || c.insertLeft != c.wantInsertLeft ||
                             c.mainTop != c.wantMainTop || c.mainLeft != c.wantMainLeft;
        const QByteArray file = TestProgram::ReadAll(t.Path("Kelpo.ini"));
        EXPECT_EQ(file, changed ? EncodeSettings(s) : QByteArray()) << c.mainLeft;
    }
}

TEST(SaveSettings, UnwritableFolderIsReportedOnceAndTheSettingsStayInMemory) {
    // A folder below a plain file can never be written, not even by root.
    TestProgram t;
    TestProgram::WriteAll(t.Path("plain"), "x");
    const QString settingsPath = t.Path("plain/Kelpo.ini");
    t.program.ProgramFolder = t.Path("plain/");
    QStringList reported;
    t.program.onWriteFailed = [&](const QString& path) { reported.append(path); };

    EXPECT_TRUE(LoadSettings(t.program, Screen, Main));
    EXPECT_EQ(t.program.settings.MainLeft, 3000);
    t.program.settings.Library = 3;
    EXPECT_FALSE(SaveSettings(t.program));
    EXPECT_FALSE(SaveSettings(t.program));
    EXPECT_EQ(t.program.settings.Library, 3);
    EXPECT_EQ(reported.join('|').toStdString(), settingsPath.toStdString());
}

TEST(SaveSettings, FullDiskIsReported) {
    TestProgram t;
    ASSERT_TRUE(QFile::link("/dev/full", t.Path("Kelpo.ini")));
    int reports = 0;
    t.program.onWriteFailed = [&](const QString&) { ++reports; };
    LoadSettings(t.program, Screen, Main);
    EXPECT_FALSE(SaveSettings(t.program));
    EXPECT_EQ(reports, 1);
}
