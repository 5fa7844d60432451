#pragma once
// The clip vocabulary shared by sending, Auto Insert and the editor: the key commands,
// the two actions, and the repeat count a command may carry ("{Down}{05}").
#include <QString>
#include <QStringList>

#include <array>

namespace kelpo {

// A clip after its repeat count was taken off, and the closing part of the key braces.
struct RepeatSplit {
    QString clip;   // the clip without a valid count
    QString suffix; // " n}" for a valid count n (2-99), else " 1}"
};

// Sending's rule: takes a two-digit repeat count of 2 to 99 off a clip that starts with
// "{" and is at least 8 characters long.
RepeatSplit RepeatSuffix(const QString& clip);

enum class ClipKind {
    Text,     // typed literally
    Command,  // a key of the command vocabulary
    Minimize, // "{Minimize}": gets the program out of the way
    StopAuto, // "{Stop Auto}": ends an Auto Insert run
};

// The kind of a clip whose repeat count was already taken off (letter case ignored).
ClipKind ClassifyClip(const QString& clip);

// The keys sent for a key command: "{Tab}" with " 1}" gives "{Tab 1}", "{Shift+Tab}"
// gives "+{TAB 1}".
QString CommandKeys(const QString& clip, const QString& suffix);

// The editor's command buttons: the caption and the text each writes into a clip row.
struct EditorCommand {
    const char* caption;
    const char* text;
};
inline constexpr int EditorCommandCount = 13;
extern const std::array<EditorCommand, EditorCommandCount> EditorCommands;

// The editor's repeat list: "02" to "99".
QStringList RepeatItems();

// The editor's rule: `text` ends in "{", two characters of a value above 0, and "}".
bool EndsInRepeatCount(const QString& text);

// The editor's repeat choice `item` ("02"-"99") put on `text`: it replaces a count the
// text already ends in, else it is appended. Texts of 3 characters or fewer are returned
// unchanged.
QString WithRepeatCount(const QString& text, const QString& item);

} // namespace kelpo
