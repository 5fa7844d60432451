#pragma once
// Entry colours are stored as 0x00BBGGRR (red in the low byte).
#include <QColor>

#include <cstdint>

namespace kelpo {

inline QColor ColorFromBgr(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

inline std::uint32_t BgrFromColor(const QColor& color) {
    return std::uint32_t(color.red()) | (std::uint32_t(color.green()) << 8) |
           (std::uint32_t(color.blue()) << 16);
}

// The current library's button: a light red.
inline constexpr std::uint32_t CurrentLibraryColor = 0x00C0C0FF;

} // namespace kelpo
