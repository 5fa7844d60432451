#include "editor/EditRules.h"

#include "core/Ansi.h"
#include "core/ClipCommands.h"

#include <cstdlib>

namespace kelpo {

RepeatResult ApplyRepeat(const EditRows& rows, int currentRow, const QString& item) {
    RepeatResult result;
    if (item.isEmpty() || currentRow < 0 || currentRow >= EditRowCount)
        return result;
    int target = currentRow;
    if (rows[currentRow].isEmpty()) {
        // The usual order: a command was just inserted and the focus moved on.
        if (currentRow < 1)
            return result;
        target = currentRow - 1;
    }
    const QString& text = rows[target];
    const QString changed = WithRepeatCount(text, item);
    if (changed == text)
        return result;
    result.row = target;
    if (changed.size() > ClipMaxLength) {
        result.outcome = RepeatOutcome::TooLong;
        result.text = text;
        return result;
    }
    result.outcome = RepeatOutcome::Changed;
    result.text = changed;
    return result;
}

int ScrollForFocus(int row, int value) {
    int next = value;
    if (row > value + EditRowsInView - 1)
        ++next;
    if (row < next)
        --next;
    if (next >= 0 && next <= EditScrollMax && next != value)
        return next;
    return value;
}

int RowToFocusAfterScroll(int value, int currentRow) {
    if (currentRow >= value && currentRow <= value + EditRowsInView - 1)
        return currentRow;
    return value;
}

int NextRow(int currentRow) {
    return currentRow < EditRowCount - 1 ? currentRow + 1 : currentRow;
}

int PreviousRow(int currentRow) {
    return currentRow > 0 ? currentRow - 1 : currentRow;
}

bool IsDrag(int dxTwips, int dyTwips) {
    return std::abs(dxTwips) > DragThresholdTwips || std::abs(dyTwips) > DragThresholdTwips;
}

namespace {

constexpr std::uint32_t Bgr(int r, int g, int b) {
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

} // namespace

const std::array<Swatch, SwatchCount>& Swatches() {
    static const std::array<Swatch, SwatchCount> swatches = {{
        {0, Bgr(255, 255, 0), 3, 4},    {1, Bgr(255, 192, 192), 1, 2},
        {2, Bgr(255, 224, 192), 1, 3},  {3, Bgr(255, 255, 192), 1, 4},
        {4, Bgr(224, 224, 224), 2, 1},  {5, Bgr(255, 128, 128), 2, 2},
        {6, Bgr(255, 192, 128), 2, 3},  {7, Bgr(255, 255, 128), 2, 4},
        {8, Bgr(192, 192, 192), 3, 1},  {9, Bgr(255, 0, 0), 3, 2},
        {10, Bgr(255, 128, 0), 3, 3},   {11, Bgr(255, 255, 255), 1, 1},
        {12, Bgr(192, 255, 192), 1, 5}, {13, Bgr(128, 255, 128), 2, 5},
        {14, Bgr(0, 255, 0), 3, 5},     {15, Bgr(192, 255, 255), 1, 6},
        {16, Bgr(128, 255, 255), 2, 6}, {17, Bgr(0, 255, 255), 3, 6},
        {18, Bgr(192, 192, 255), 1, 7}, {19, Bgr(128, 128, 255), 2, 7},
        {20, Bgr(128, 128, 128), 3, 7}, {21, Bgr(255, 192, 255), 1, 8},
        {22, Bgr(255, 128, 255), 2, 8}, {23, Bgr(255, 0, 255), 3, 8},
    }};
    return swatches;
}

std::optional<int> FindSwatch(std::uint32_t color) {
    for (const Swatch& s : Swatches())
        if (s.color == color)
            return s.index;
    return std::nullopt;
}

QString FirstUnstorableCharacter(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        unsigned char byte;
        if (UnicodeToAnsi(text[i], &byte))
            continue;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            return text.mid(i, 2);
        return text.mid(i, 1);
    }
    return {};
}

QString UnstorableNotice(const QString& character) {
    return QStringLiteral("\"%1\" was not taken: entries can hold only Western European "
                          "(Windows-1252) characters.")
        .arg(character);
}

} // namespace kelpo
