#pragma once
// An entry's notes: "Note<n>.txt" in the library folder holding the text itself in
// Windows-1252, line breaks as CR LF, nothing else. A note file that is empty or holds
// only blanks counts as no notes.
#include <QString>

namespace kelpo {

// Notes hold at most this many characters (a line break counts two, as in the file).
inline constexpr int NoteMaxLength = 20000;

// The notes of `slot` as the main window's notes panel shows them ("" when there is no
// file). A file found empty or blank is deleted, after its text was read for this one
// showing.
QString LookAtNote(const QString& libraryFolder, int slot);

// The notes of `slot` for the Notes window, creating an empty note file when there is
// none.
QString OpenNote(const QString& libraryFolder, int slot);

// Writes `text` as the notes of `slot`. The old file is replaced whole or not at all, so a
// failure or a crash never loses the notes it held. False when the file could not be
// written or `text` holds a character the file cannot.
bool SaveNote(const QString& libraryFolder, int slot, const QString& text);

// The file's CR LF line breaks as the single line feeds a text box uses, and back.
QString NoteLineFeeds(const QString& fileText);
QString NoteCrLfs(const QString& boxText);

} // namespace kelpo
