#include "entries/ClipSet.h"

#include "entries/PageFiles.h"
#include "storage/Names.h"

namespace kelpo {

QString StoredName(const QString& nameField) {
    // Compared without trimming: a name of blanks is kept as typed.
    return nameField.isEmpty() ? QStringLiteral("Untitled") : nameField;
}

bool SaveClipSet(Program& program, const ClipSet& entry, QString* failedPath) {
    if (entry.Slot < 0 || entry.Slot >= SlotCount)
        return false;
    const QString name = StoredName(entry.Name);
    program.SlotNames[entry.Slot] = name;
    // A caller that says the failure itself keeps the program-wide report quiet, so the
    // user hears of it once.
    const bool reportedBefore = program.writeFailureReported;
    if (failedPath)
        program.writeFailureReported = true;
    QString failed;
    // Reloads the names either way.
    if (!WriteSlotName(program, entry.Slot, name, entry.Color))
        failed = program.LibraryFolder + NamesFileName;
    QString entryFailed;
    if (!WriteEntryFiles(program.LibraryFolder, entry, &entryFailed) && failed.isEmpty())
        failed = entryFailed;
    if (failedPath) {
        program.writeFailureReported = reportedBefore;
        *failedPath = failed;
    } else if (!failed.isEmpty()) {
        ReportWriteFailure(program, failed);
    }
    return failed.isEmpty();
}

} // namespace kelpo
