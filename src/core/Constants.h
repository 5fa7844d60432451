#pragma once
// Counts and layout numbers that several parts of the program share.
#include <cstdint>

namespace kelpo {

inline constexpr int SlotCount = 51; // slots 0-49 and the test slot
inline constexpr int VisibleSlotCount = 50;
inline constexpr int TestSlot = 50; // where the editor's Test keeps the unsaved entry
inline constexpr int ClipCount = 40;
inline constexpr int LibraryCount = 19;
inline constexpr std::uint32_t DefaultColor = 0x00FFFFFF; // white, as 0x00BBGGRR

// The main window's name grid: two columns of 25 names, the second this far right of the
// first (twips). Windows opened beside a name place themselves by it.
inline constexpr int NamesPerColumn = 25;
inline constexpr int NameColumnPitchTwips = 2700;

} // namespace kelpo
