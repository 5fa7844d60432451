#pragma once
// The editor's rules that need no window: the repeat count, the row that receives focus
// and scrolling, the drag threshold, the colour swatches and which characters an entry
// can hold. The window (Edit) only applies what these decide.
#include "core/ClipCommands.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace kelpo {

inline constexpr int EditRowCount = 40;
inline constexpr int EditRowsInView = 24;
inline constexpr int EditScrollMax = EditRowCount - EditRowsInView; // 16
inline constexpr int EditRowTwips = 288;
inline constexpr int ClipMaxLength = 200;
inline constexpr int TitleMaxLength = 30;
inline constexpr int UrlFieldMaxLength = 1000;
inline constexpr int PasswordFieldMaxLength = 30;

// A press that moves this far (twips, either direction) is still a click; one more starts
// a drag.
inline constexpr int DragThresholdTwips = 20;

using EditRows = std::array<QString, EditRowCount>;

// --- Repeat count ---

enum class RepeatOutcome {
    Unchanged, // nothing to do: no target row, or its text is too short
    Changed,   // `text` is the target row's new text
    TooLong,   // the suffix would push the row past ClipMaxLength; the row keeps its text
};

struct RepeatResult {
    RepeatOutcome outcome = RepeatOutcome::Unchanged;
    int row = -1;
    QString text;
};

// The repeat count `item` ("02"-"99") chosen while `currentRow` receives commands: the
// target is the row before an empty current row (the command just inserted), else the
// current row; the count goes on as WithRepeatCount says, unless the row would then be
// longer than a clip can be.
RepeatResult ApplyRepeat(const EditRows& rows, int currentRow, const QString& item);

// --- Rows and scrolling ---

// The scroll value after row `row` got the focus while `value` is the first row in view:
// one step towards the row, and only while the result is a valid first row.
int ScrollForFocus(int row, int value);

// The row that gets the focus after the view scrolled to `value`: the current row when it
// is in view, else the first row in view.
int RowToFocusAfterScroll(int value, int currentRow);

// Enter and Down, and Up.
int NextRow(int currentRow);
int PreviousRow(int currentRow);

// True when a press at (0, 0) moved by (dx, dy) twips has become a drag.
bool IsDrag(int dxTwips, int dyTwips);

// --- Command buttons ---

// The command buttons (indexes into EditorCommands) from top to bottom: the first
// `CommandGap` stand together, the rest a little apart.
inline constexpr int CommandGap = 10;
inline constexpr std::array<int, EditorCommandCount> CommandOrderTopDown = {1,  0, 5, 6,  3,  4, 9,
                                                                            10, 8, 7, 11, 12, 2};

// --- Colour swatches ---

struct Swatch {
    int index;           // 0-23
    std::uint32_t color; // 0x00BBGGRR
    int row;             // 1-3
    int column;          // 1-8
};
inline constexpr int SwatchCount = 24;

// The 24 swatches by index.
const std::array<Swatch, SwatchCount>& Swatches();

// The first swatch (in index order) of `color`; none when no swatch has it.
std::optional<int> FindSwatch(std::uint32_t color);

// --- Text an entry can hold ---

// The first character of `text` the entry files cannot hold (outside Windows-1252), whole
// even where it takes two UTF-16 units; empty when every character can be stored.
QString FirstUnstorableCharacter(const QString& text);

// What the user is told when such a character was refused.
QString UnstorableNotice(const QString& character);

} // namespace kelpo
