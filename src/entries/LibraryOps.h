#pragma once
// What can happen to a whole library: moving it to another button (the two swap places,
// folders and names), copying it onto an empty one, erasing it, and putting things right
// at start-up after one of these was cut short.
//
// A swap renames the two folders through a spare folder, "Sparelib". Before the first
// rename it writes what it is about to do into "Sparelib.txt" in the program folder, and
// updates that as it goes, so that a swap stopped at any step (a failed rename, a crash, a
// power cut) can be undone or finished at the next start. A spare folder is never
// overwritten, merged or deleted: when its place is taken it is kept under a new name and
// the user is told.
//
// Nothing here touches a window. Failed writes go through ReportWriteFailure (once); what
// the user must hear besides is returned as notices.
#include <QString>
#include <QStringList>

namespace kelpo {

struct Program;

inline constexpr char SpareLibraryName[] = "Sparelib";
inline constexpr char SwapJournalName[] = "Sparelib.txt";

// Whether `fileName` is one the program writes in a library folder: Names.dat, url.dat,
// Page<n>.dat, Page<n>.h, Note<n>.txt (any case).
bool IsLibraryFileName(const QString& fileName);

// A library counts as empty when its folder is missing, or holds no file but Names.dat
// and url.dat (any case) and no name in Names.dat. (A names file with names in it is
// never copied over, even where no entry of it has files.)
bool IsLibraryEmpty(const QString& folder);

struct LibraryOutcome {
    bool ok = true;
    QStringList notices;
};

// Moves library `from` to button `to`: the two folders and names swap places. With
// `copyIfEmpty` and an empty library at `to`, `from` is then copied back into its own
// place, so both buttons hold the same library. Library numbers are 0-18; the same
// number, or a number out of range, does nothing.
LibraryOutcome MoveLibrary(Program& program, int from, int to, bool copyIfEmpty);

// Erases library `library`: the files the program wrote in its folder (the names file
// first, so no entry is left half there), the folder itself, and its name. Anything else
// in the folder (a subfolder, a file of another program) is left in place, with a notice.
LibraryOutcome EraseLibrary(Program& program, int library);

// At start-up, before any library is shown: undoes or finishes a swap or a library copy
// that was cut short, and keeps a stray spare folder under a new name. Returns what the
// user must be told.
QStringList RecoverLibraries(Program& program);

} // namespace kelpo
