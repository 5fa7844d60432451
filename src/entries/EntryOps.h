#pragma once
// What can happen to a whole entry: erase it, copy it to another slot (of the same or
// another library), move it. An entry lives in five stores of its library folder: its
// names record, its URL record, its page file, its hide file and its note file.
//
// Nothing here touches a window or the tables in `Program`: the caller reloads the names
// (LoadNames) and tells the windows. A failed write is reported once through
// ReportWriteFailure and makes the call return false; a failure never passes for success.
#include <QString>

namespace kelpo {

struct Program;

// A slot of a library folder (ending in '/').
struct EntryPlace {
    QString folder;
    int slot = 0;
};

enum class NoteFile { Erase, Keep };

// Erases the entry at `at`: its names record becomes blank and white (first: when that
// fails the entry stays whole and nothing else is touched), its URL record blank, and its
// page and hide files (and its note file, unless kept) are removed. After the names
// record every store is tried even when one fails; false when any could not be changed.
bool EraseEntry(Program& program, const EntryPlace& at, NoteFile note = NoteFile::Erase);

// Copies the entry at `from` to `to`: the URL record byte for byte, the page, note and
// hide files (a missing one arrives as an empty file, and is left behind empty at the
// source), each read back and compared, and last the names record (name and colour), so
// that the target shows nothing until every store is in place. What `to` held before is
// replaced. False when anything could not be read, written or read back; `to` then shows
// no name, and `from` is untouched.
bool CopyEntry(Program& program, const EntryPlace& from, const EntryPlace& to);

// Copies, then erases the source, only when the copy fully succeeded and read back as
// the source: an entry is never lost. Moving an entry onto itself does nothing and succeeds.
bool MoveEntry(Program& program, const EntryPlace& from, const EntryPlace& to);

} // namespace kelpo
