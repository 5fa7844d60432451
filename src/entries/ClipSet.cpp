#include "entries/ClipSet.h"

#include "entries/PageFiles.h"
#include "storage/Names.h"

namespace kelpo {

QString StoredName(const QString& nameField) {
    // Compared without trimming: a name of blanks is kept as typed.
    return nameField.isEmpty() ? QStringLiteral("Untitled") : nameField;
}

bool SaveClipSet(Program& program, const ClipSet& entry) {
    if (entry.Slot < 0 || entry.Slot >= SlotCount)
        return false;
    const QString name = StoredName(entry.Name);
    program.SlotNames[entry.Slot] = name;
    // Reports its own failure and reloads the names either way.
    bool ok = WriteSlotName(program, entry.Slot, name, entry.Color);
    QString failed;
    if (!WriteEntryFiles(program.LibraryFolder, entry, &failed)) {
        ReportWriteFailure(program, failed);
        ok = false;
    }
    return ok;
}

} // namespace kelpo
