#pragma once
// One entry of a library: its name and colour (kept in "Names.dat"), its bookmark, its
// password and its 40 clips with their hide flags (kept in the entry files).
#include "storage/Program.h"

#include <QString>

#include <array>
#include <cstdint>

namespace kelpo {

struct ClipSet {
    int Slot = 0;
    QString Name;
    std::uint32_t Color = DefaultColor;
    QString Url;
    QString Password; // plain; empty = no password
    std::array<QString, ClipCount> Clips;
    std::array<std::int16_t, ClipCount> Hidden{}; // 0 shown, 1 masked by stars
};

// The name an entry is stored and shown under: "Untitled" for an empty name field.
QString StoredName(const QString& nameField);

// Writes `entry` as slot `entry.Slot` of the current library, in this order: the names
// record with StoredName and `entry.Color` (SlotNames and SlotColors are then reloaded),
// the URL record, the page file, the hide file. The caller tells the windows that the
// names changed. A file that cannot be written is reported once; false then. A caller that
// passes `failedPath` gets the first file that could not be written there and tells the
// user itself.
bool SaveClipSet(Program& program, const ClipSet& entry, QString* failedPath = nullptr);

} // namespace kelpo
