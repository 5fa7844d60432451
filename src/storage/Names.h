#pragma once
// "Libnames.dat" (19 library names of 13 bytes, in the program folder) and "Names.dat"
// (51 records of a 30-byte name and a 4-byte colour, in each library folder), and the
// record writes every other part of the program uses to change them.
#include "core/Constants.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace kelpo {

struct Program;

inline constexpr int LibraryNameLength = 13;
inline constexpr int NameLength = 30;
inline constexpr int NameRecordSize = 34;
inline constexpr int LibraryNamesSize = 19 * LibraryNameLength; // 247
inline constexpr int NamesFileSize = 51 * NameRecordSize;       // 1734
inline constexpr char DefaultLibraryName[] = "Library 1";
inline constexpr char LibraryNamesFileName[] = "Libnames.dat";
inline constexpr char NamesFileName[] = "Names.dat";

// The folder of library `library` (0-18): "Lib1/" to "Lib19/" in the program folder.
QString LibraryFolderFor(const Program& program, int library);

// The bytes of a new file, as written when the file is missing or empty.
QByteArray DefaultLibraryNames();
QByteArray DefaultNames();

// One record as stored: the name cut or blank-padded to its field (so a long name can
// never spill into the next record), then for a slot the colour, little-endian.
QByteArray EncodeNameRecord(const QString& name, std::uint32_t color);
QByteArray EncodeLibraryName(const QString& name);

// Fills LibraryNames from "Libnames.dat", creating it with the defaults when it is
// missing or empty. Records beyond the end of a short
// file read as blank; the file itself is left alone.
void LoadLibraryNames(Program& program);

// Creates LibraryFolder when missing, fills SlotNames and SlotColors from its
// "Names.dat" (created with the defaults when missing or empty). A colour of 0 reads as white.
// Whatever cannot be read reads as a blank, white slot; a damaged file never stops the program.
void LoadNames(Program& program);

// Record writes. Each opens the file, writes one record in place and closes it; a failed
// write is reported once and returns false. The ones taking a folder write any library's
// file and reload nothing; the others work on the current library (or the library names)
// and reload the tables afterwards, so they hold what the file holds. None of them touches
// a window: the caller tells the windows (Shell::NamesChanged, LibraryNamesChanged).
bool WriteNameRecord(Program& program, const QString& libraryFolder, int slot, const QString& name,
                     std::uint32_t color);
bool EraseNameRecord(Program& program, const QString& libraryFolder, int slot);
bool WriteLibraryNameRecord(Program& program, int library, const QString& name);

// Record `slot` of the names file in `libraryFolder`, read without changing anything: a
// missing file or record reads as a blank name, and a missing colour (or 0) as white.
struct NameRecord {
    QString name;
    std::uint32_t color = DefaultColor;
};
NameRecord ReadNameRecord(const QString& libraryFolder, int slot);

bool WriteSlotName(Program& program, int slot, const QString& name, std::uint32_t color);
bool EraseSlotName(Program& program, int slot);
bool WriteLibraryName(Program& program, int library, const QString& name);
bool EraseLibraryName(Program& program, int library);

} // namespace kelpo
