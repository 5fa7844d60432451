#include "storage/Settings.h"

#include "storage/DataFile.h"
#include "storage/Program.h"

#include <cmath>

namespace kelpo {

namespace {

template <typename T> void Put(QByteArray& out, T value) {
    auto u = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out.append(static_cast<char>(u & 0xFF));
        u = static_cast<decltype(u)>(u >> 8);
    }
}

// Reads a little-endian field at `offset`; bytes past the end of `bytes` count as 0.
template <typename T> T Get(const QByteArray& bytes, int offset) {
    std::make_unsigned_t<T> u = 0;
    for (int i = int(sizeof(T)) - 1; i >= 0; --i) {
        const int at = offset + i;
        const unsigned char b = at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0;
        u = static_cast<decltype(u)>((u << 8) | b);
    }
    return static_cast<T>(u);
}

// Halves round to the nearest whole twip (ties to even, as the stored files always had).
std::int32_t Half(std::int64_t twips) {
    return static_cast<std::int32_t>(std::nearbyint(double(twips) / 2.0));
}

QString SettingsPath(const Program& program) {
    return program.ProgramFolder + SettingsFileName;
}

bool OffScreen(std::int32_t top, std::int32_t left, QSize screen) {
    return top > screen.height() - WindowMargin || left > screen.width() - WindowMargin ||
           top < 0 || left < 0;
}

} // namespace

QByteArray EncodeSettings(const Settings& s) {
    QByteArray out = s.Version.left(4);
    out.append(QByteArray(4 - out.size(), ' '));
    Put(out, s.Library);
    Put(out, s.MainTop);
    Put(out, s.MainLeft);
    Put(out, s.InsertTop);
    Put(out, s.InsertLeft);
    Put(out, s.Reserved1);
    Put(out, s.Reserved2);
    Put(out, s.LastSlot);
    Put(out, s.Reserved3);
    Put(out, s.MinimizeToTray);
    Put(out, s.Reserved4);
    Put(out, s.Reserved5);
    Put(out, s.QuickHelpOff);
    return out;
}

Settings DecodeSettings(const QByteArray& bytes) {
    Settings s;
    s.Version = bytes.left(4);
    s.Library = Get<std::int16_t>(bytes, 4);
    s.MainTop = Get<std::int32_t>(bytes, 6);
    s.MainLeft = Get<std::int32_t>(bytes, 10);
    s.InsertTop = Get<std::int32_t>(bytes, 14);
    s.InsertLeft = Get<std::int32_t>(bytes, 18);
    s.Reserved1 = Get<std::int16_t>(bytes, 22);
    s.Reserved2 = Get<std::int16_t>(bytes, 24);
    s.LastSlot = Get<std::int16_t>(bytes, 26);
    s.Reserved3 = Get<std::int16_t>(bytes, 28);
    s.MinimizeToTray = Get<std::int16_t>(bytes, 30);
    s.Reserved4 = Get<std::int32_t>(bytes, 32);
    s.Reserved5 = Get<std::int32_t>(bytes, 36);
    s.QuickHelpOff = Get<std::int16_t>(bytes, 40);
    return s;
}

void CentreMainWindow(Settings& s, QSize screen, QSize mainWindow) {
    s.MainTop = Half(std::int64_t(screen.height()) - mainWindow.height());
    s.MainLeft = Half(std::int64_t(screen.width()) - mainWindow.width());
}

void PlaceInsertWindow(Settings& s, QSize screen, QSize mainWindow) {
    s.InsertTop = Half(std::int64_t(screen.height()) - mainWindow.height());
    s.InsertLeft = screen.width() - InsertRightOffset;
}

bool LoadSettings(Program& program, QSize screen, QSize mainWindow) {
    QByteArray bytes;
    {
        DataFile file(SettingsPath(program));
        bytes = file.ReadAt(0, SettingsSize);
    }
    Settings& s = program.settings;
    s = DecodeSettings(bytes);

    // Only the exact version is ours; anything else (an older program, a damaged or empty
    // file) starts over with every field reset, the reserved ones included.
    const bool firstRun = s.Version != QByteArray(SettingsVersion);
    if (firstRun) {
        s = Settings{};
        s.Version = SettingsVersion;
        CentreMainWindow(s, screen, mainWindow);
        PlaceInsertWindow(s, screen, mainWindow);
        SaveSettings(program);
    }

    if (s.Library < 0 || s.Library >= LibraryCount)
        s.Library = 0;
    if (s.LastSlot < 0 || s.LastSlot > 49)
        s.LastSlot = 0;
    if (s.QuickHelpOff < 0 || s.QuickHelpOff > 1)
        s.QuickHelpOff = 0;
    if (s.MinimizeToTray < 0 || s.MinimizeToTray > 1)
        s.MinimizeToTray = 0;
    return firstRun;
}

bool SaveSettings(Program& program) {
    const QString path = SettingsPath(program);
    bool ok;
    {
        DataFile file(path);
        ok = file.WriteAt(0, EncodeSettings(program.settings));
    }
    if (!ok)
        ReportWriteFailure(program, path);
    return ok;
}

void CheckWindowPositions(Program& program, QSize screen, QSize mainWindow) {
    Settings& s = program.settings;
    if (OffScreen(s.InsertTop, s.InsertLeft, screen)) {
        PlaceInsertWindow(s, screen, mainWindow);
        SaveSettings(program);
    }
    if (OffScreen(s.MainTop, s.MainLeft, screen)) {
        CentreMainWindow(s, screen, mainWindow);
        SaveSettings(program);
    }
}

} // namespace kelpo
