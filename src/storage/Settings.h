#pragma once
// The settings record kept in "Kelpo.ini": 42 bytes, fields packed, little-endian.
#include "core/Constants.h"

#include <QByteArray>
#include <QSize>

#include <cstdint>

namespace kelpo {

struct Program;

inline constexpr int SettingsSize = 42;
inline constexpr char SettingsVersion[] = "4.00";
inline constexpr char SettingsFileName[] = "Kelpo.ini";

// How much of a window's top-left corner must stay on screen, and where the insertion
// window starts from the right screen edge (twips).
inline constexpr int WindowMargin = 500;
inline constexpr int InsertRightOffset = 3250;

struct Settings {
    QByteArray Version; // exactly 4 bytes when read from a file; "4.00" is valid
    std::int16_t Library = 0;
    std::int32_t MainTop = 0;
    std::int32_t MainLeft = 0;
    std::int32_t InsertTop = 0;
    std::int32_t InsertLeft = 0;
    std::int16_t Reserved1 = 0;
    std::int16_t Reserved2 = 0;
    std::int16_t LastSlot = 0;
    std::int16_t Reserved3 = 0;
    std::int16_t MinimizeToTray = 0;
    std::int32_t Reserved4 = 0;
    std::int32_t Reserved5 = 0;
    std::int16_t QuickHelpOff = 0;
};

// The 42 bytes of the record. The version is written as 4 bytes, cut or blank-padded.
QByteArray EncodeSettings(const Settings& settings);

// A record from the first bytes of `bytes`; fields beyond a short input read as 0 and the
// version as what there is of it.
Settings DecodeSettings(const QByteArray& bytes);

// Reads "Kelpo.ini" from the program folder; a missing, empty or foreign file (version
// other than "4.00") gives the first-run values, which are written at once. Out-of-range
// fields are corrected in memory only. `screen` and `mainWindow` are sizes in twips.
// Returns true on a first run.
bool LoadSettings(Program& program, QSize screen, QSize mainWindow);

// Writes the whole record at the start of "Kelpo.ini" (bytes beyond it stay). A failed
// write is reported once through the program and the settings stay in memory.
bool SaveSettings(Program& program);

// Brings stored window positions that lie off this screen back on it, saving any change.
// Moving the windows to the positions is left to the caller.
void CheckWindowPositions(Program& program, QSize screen, QSize mainWindow);

// The first-run positions: the main window centred, the insertion window level with it
// near the right edge.
void CentreMainWindow(Settings& settings, QSize screen, QSize mainWindow);
void PlaceInsertWindow(Settings& settings, QSize screen, QSize mainWindow);

} // namespace kelpo
