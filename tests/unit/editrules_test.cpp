// The editor's rules without a window: repeat counts, focus scrolling, the drag threshold,
// the colour swatches and the characters an entry can hold.
#include "core/ClipCommands.h"
#include "editor/EditRules.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <set>

using namespace kelpo;

namespace {

EditRows Rows(std::initializer_list<std::pair<int, QString>> texts) {
    EditRows rows;
    for (const auto& [i, text] : texts)
        rows[i] = text;
    return rows;
}

} // namespace

TEST(EditRulesTest, RepeatCountTargetsAndSuffixes) {
    struct Case {
        const char* what;
        EditRows rows;
        int currentRow;
        QString item;
        RepeatOutcome outcome;
        int row;
        QString text;
    };
    const QString long196 = QString(196, 'x');
    const Case cases[] = {
        {"after a command the count goes to the row before the empty current one",
         Rows({{4, "{Tab}"}}), 5, "03", RepeatOutcome::Changed, 4, "{Tab}{03}"},
        {"a second count replaces the first", Rows({{4, "{Tab}{03}"}}), 5, "12",
         RepeatOutcome::Changed, 4, "{Tab}{12}"},
        {"a current row with text takes the count itself", Rows({{4, "{Tab}"}, {5, "{Up}"}}), 5,
         "02", RepeatOutcome::Changed, 5, "{Up}{02}"},
        {"row 0 empty: no row before it", Rows({}), 0, "05", RepeatOutcome::Unchanged, -1, ""},
        {"three characters are too short", Rows({{2, "abc"}}), 2, "05", RepeatOutcome::Unchanged,
         -1, ""},
        {"four plain characters get the suffix appended", Rows({{2, "abcd"}}), 2, "05",
         RepeatOutcome::Changed, 2, "abcd{05}"},
        {"{00} is not a suffix", Rows({{2, "{Up}{00}"}}), 2, "05", RepeatOutcome::Changed, 2,
         "{Up}{00}{05}"},
        {"196 characters plus a suffix is exactly 200", Rows({{1, long196}}), 1, "02",
         RepeatOutcome::Changed, 1, long196 + "{02}"},
        {"197 characters plus a suffix would be 201: refused", Rows({{1, long196 + "y"}}), 1, "02",
         RepeatOutcome::TooLong, 1, long196 + "y"},
        {"replacing a suffix never grows the row", Rows({{1, long196 + "{09}"}}), 1, "02",
         RepeatOutcome::Changed, 1, long196 + "{02}"},
        {"no item chosen (the list's reset)", Rows({{4, "{Tab}"}}), 5, "", RepeatOutcome::Unchanged,
         -1, ""},
        {"row 39 current and filled", Rows({{39, "{Up}"}}), 39, "99", RepeatOutcome::Changed, 39,
         "{Up}{99}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RepeatResult r = ApplyRepeat(c.rows, c.currentRow, c.item);
        EXPECT_EQ(r.outcome, c.outcome);
        if (c.outcome != RepeatOutcome::Unchanged) {
            EXPECT_EQ(r.row, c.row);
            EXPECT_EQ(r.text.toStdString(), c.text.toStdString());
        }
    }
}

TEST(EditRulesTest, FocusScrollsOneStepAndRowKeysStopAtTheEnds) {
    struct Case {
        int row, value, expected;
    };
    const Case cases[] = {
        {24, 0, 1},   // just below the view: one row down
        {23, 0, 0},   // in view: no change
        {30, 0, 1},   // far below: still one step only
        {0, 1, 0},    // just above the view
        {5, 16, 15},  // far above: one step
        {39, 16, 16}, // the last row with the view at the bottom
        {39, 15, 16}, {16, 16, 16},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScrollForFocus(c.row, c.value), c.expected) << c.row << " from " << c.value;

    // After a scroll the current row keeps the focus while it is in view.
    EXPECT_EQ(RowToFocusAfterScroll(0, 23), 23);
    EXPECT_EQ(RowToFocusAfterScroll(0, 24), 0);
    EXPECT_EQ(RowToFocusAfterScroll(16, 39), 39);
    EXPECT_EQ(RowToFocusAfterScroll(16, 15), 16);

    EXPECT_EQ(NextRow(0), 1);
    EXPECT_EQ(NextRow(39), 39);
    EXPECT_EQ(PreviousRow(0), 0);
    EXPECT_EQ(PreviousRow(39), 38);
}

TEST(EditRulesTest, TwentyTwipsIsAClickAndTwentyOneADrag) {
    EXPECT_FALSE(IsDrag(20, 0));
    EXPECT_FALSE(IsDrag(-20, 20));
    EXPECT_FALSE(IsDrag(0, 0));
    EXPECT_TRUE(IsDrag(21, 0));
    EXPECT_TRUE(IsDrag(0, -21));
}

TEST(EditRulesTest, CommandButtonsStandInTheirOrderAndWriteTheirTexts) {
    QStringList captions, texts;
    std::set<int> indexes;
    for (int index : CommandOrderTopDown) {
        captions << EditorCommands[index].caption;
        texts << EditorCommands[index].text;
        indexes.insert(index);
    }
    EXPECT_EQ(captions.join('|'), "Tab|Shift+Tab|Left|Right|Up|Down|PgUp|PgDn|Home|End|Click|"
                                  "Minimize|Stop Auto");
    EXPECT_EQ(texts.join('|'), "{Tab}|{Shift+Tab}|{Left}|{Right}|{Up}|{Down}|{PgUp}|{PgDn}|"
                               "{Home}|{End}|{Enter}|{Minimize}|{Stop Auto}");
    EXPECT_EQ(indexes.size(), 13u);                          // each button once
    EXPECT_EQ(EditorCommands[11].caption, QString("Click")); // the index the help table uses
    EXPECT_EQ(EditorCommands[2].caption, QString("Stop Auto"));
}

TEST(EditRulesTest, SwatchesHaveTheirColoursAndPlaces) {
    // (index, R, G, B) row by row, left to right.
    const int table[3][8][4] = {
        {{11, 255, 255, 255},
         {1, 255, 192, 192},
         {2, 255, 224, 192},
         {3, 255, 255, 192},
         {12, 192, 255, 192},
         {15, 192, 255, 255},
         {18, 192, 192, 255},
         {21, 255, 192, 255}},
        {{4, 224, 224, 224},
         {5, 255, 128, 128},
         {6, 255, 192, 128},
         {7, 255, 255, 128},
         {13, 128, 255, 128},
         {16, 128, 255, 255},
         {19, 128, 128, 255},
         {22, 255, 128, 255}},
        {{8, 192, 192, 192},
         {9, 255, 0, 0},
         {10, 255, 128, 0},
         {0, 255, 255, 0},
         {14, 0, 255, 0},
         {17, 0, 255, 255},
         {20, 128, 128, 128},
         {23, 255, 0, 255}},
    };
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 8; ++col) {
            const auto& [index, r, g, b] = table[row][col];
            const Swatch& s = Swatches()[index];
            SCOPED_TRACE(index);
            EXPECT_EQ(s.index, index);
            EXPECT_EQ(s.row, row + 1);
            EXPECT_EQ(s.column, col + 1);
            // Stored as 0x00BBGGRR: red in the low byte.
            EXPECT_EQ(s.color, std::uint32_t(r | g << 8 | b << 16));
            EXPECT_EQ(FindSwatch(s.color), index);
        }
    EXPECT_EQ(FindSwatch(0x00FFFF00), 17); // cyan; yellow would be 0x0000FFFF
    EXPECT_EQ(FindSwatch(0x0000FFFF), 0);
    EXPECT_EQ(FindSwatch(0x00123456), std::nullopt);
    EXPECT_EQ(FindSwatch(0x01FFFFFF), std::nullopt); // a stray high byte matches nothing
}

TEST(EditRulesTest, OnlyWindows1252CharactersCanBeStored) {
    EXPECT_EQ(FirstUnstorableCharacter(QString::fromUtf8("Ærø ß € „…“ ‰ Ÿ ‹› {Tab}")), "");
    EXPECT_EQ(FirstUnstorableCharacter(QString::fromUtf8("pass😀word")),
              QString::fromUtf8("😀")); // both halves of the pair
    EXPECT_EQ(FirstUnstorableCharacter(QString::fromUtf8("ab漢字")), QString::fromUtf8("漢"));
    EXPECT_EQ(FirstUnstorableCharacter(QString::fromUtf8("Ωmega")), QString::fromUtf8("Ω"));
    EXPECT_TRUE(UnstorableNotice(QString::fromUtf8("😀")).contains(QString::fromUtf8("😀")));
}
