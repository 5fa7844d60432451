#pragma once
// The settings record kept in "Kelpo.ini": 42 bytes, fields packed, little-endian.
#include <QByteArray>

#include <cstdint>

namespace kelpo {

inline constexpr int SettingsSize = 42;
inline constexpr char SettingsVersion[] = "4.00";
inline constexpr int LibraryCount = 19;

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

} // namespace kelpo
