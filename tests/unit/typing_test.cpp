// The clip and key vocabulary without a window: the brace notation and literal text, the
// two repeat-count rules (sending's 2-99 on a command-shaped clip, the editor's "above 0"
// on any text), the editor's repeat counts, colour swatches and storable characters. (The
// editor's rows and first-letter search are tried in their windows, in the widget tests.)
#include "core/ClipCommands.h"
#include "editor/EditRules.h"
#include "platform/KeyNotation.h"

#include <gtest/gtest.h>

#include <map>

using namespace kelpo;

namespace {

// The strokes of `keys` written back one key at a time.
std::string Strokes(const QString& keys) {
    return FormatStrokes(ParseKeys(keys).strokes).toStdString();
}

} // namespace

TEST(KeyNotation, NamedKeysCountsModifiersAndEscapes) {
    const std::pair<const char*, const char*> cases[] = {
        {"{tab 03}", "{TAB}{TAB}{TAB}"},
        {"{HOME}+{END}{DEL}", "{HOME}+{END}{DEL}"},
        {"{F1}{f12}{F16}", "{F1}{F12}{F16}"},
        {"{SPACE}{Space 2}", "   "},
        // Modifiers apply to one key or a group.
        {"^+{END}", "+^{END}"},
        {"+{TAB 2}x", "+{TAB}+{TAB}x"},
        {"^(a+(b)c)d", "^a+^b^cd"},
        // Tilde, tab and line breaks are keys; braced characters are characters.
        {"a~b\tc\r\nd\ne\rf", "a{ENTER}b{TAB}c{ENTER}d{ENTER}e{ENTER}f"},
        {"{} 3}{a 2}{ }[x]", "{}}{}}{}}aa [x]"}};
    for (const auto& [keys, strokes] : cases)
        EXPECT_EQ(Strokes(keys), strokes) << keys;
    EXPECT_EQ(ParseKeys("{TAB 999}").strokes.size(), 999);
}

TEST(KeyNotation, InvalidNotationIsAnErrorAndYieldsNothing) {
    using enum NotationError;
    const std::pair<const char*, NotationError> cases[] = {
        {"{TAB", UnbalancedBrace},
        {"a}b", UnbalancedBrace},
        {"{}", EmptyBraces},
        {"{TABB}", UnknownKeyName},
        {"{SHIFT+TAB}", UnknownKeyName},
        {"{F17}", UnknownKeyName},
        {"{TAB 0}", BadCount},
        {"{TAB 1000}", BadCount},
        {"{TAB 99999999999}", BadCount},
        {"abc+", DanglingModifier},
        {"++a", DanglingModifier},
        {"^(%%a)", DanglingModifier},
        {"+(ab", UnbalancedParenthesis},
        {"a\u03A9b", UnsupportedCharacter},
        {"\xF0\x9F\x98\x80", UnsupportedCharacter},
        {"\x07", UnsupportedCharacter}};
    for (const auto& [keys, error] : cases)
        EXPECT_EQ(ParseKeys(QString::fromUtf8(keys)).error, error) << keys;
    EXPECT_EQ(ParseKeys(QString(QChar(0))).error, NotationError::UnsupportedCharacter);
    const ParsedKeys bad = ParseKeys("user{TAB}pass{TABB}");
    EXPECT_TRUE(bad.strokes.isEmpty());
    EXPECT_EQ(bad.errorPosition, 14);
}

TEST(KeyNotation, EscapedTextIsTypedLiterally) {
    // Every printable character of Windows-1252, and the notation's own characters.
    QString all;
    for (int u = 0x20; u <= 0xFF; ++u)
        if (u < 0x7F || u >= 0xA0)
            all += QChar(u);
    all += QString::fromUtf8("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
    for (const QString& text : {all, QString("^(~){x}{TAB}}{a b  c"), QString()}) {
        const ParsedKeys parsed = ParseKeys(EscapeForKeys(text));
        ASSERT_TRUE(parsed.Ok()) << text.toStdString();
        QString typed;
        for (const KeyStroke& s : parsed.strokes) {
            ASSERT_TRUE(s.isCharacter && s.modifiers == NoModifier) << text.toStdString();
            typed += QChar(s.character);
        }
        EXPECT_EQ(typed, text);
    }
}

TEST(ClipCommands, RepeatSuffixKindsAndWhatACommandIsSentAs) {
    // Only a count of 2-99 on a braced clip of 8 or more characters.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"{Tab}{03}", "{Tab}", " 3}"},     {"{Down}{99}", "{Down}", " 99}"},
        {"{Up}{ 5}", "{Up}", " 5}"},                                      // leading blank skipped
        {"{Tab}{01}", "{Tab}{01}", " 1}"},                                // 1 is no count
        {"{Tab}{00}", "{Tab}{00}", " 1}"}, {"{Tab}{5x}", "{Tab}", " 5}"}, // reading stops at the x
        {"{ab}{05}", "{ab}", " 5}"},                                      // exactly 8 characters
        {"{a}{05}", "{a}{05}", " 1}"},                                    // 7 are too few
        {"user{05}", "user{05}", " 1}"},                                  // must start with a brace
    };
    for (const auto& [clip, rest, suffix] : cases) {
        const RepeatSplit split = RepeatSuffix(clip);
        EXPECT_EQ(split.clip, rest) << clip;
        EXPECT_EQ(split.suffix, suffix) << clip;
    }
    EXPECT_EQ(ClassifyClip("+{TAB}"), ClipKind::Command);
    EXPECT_EQ(ClassifyClip("{Minimize}"), ClipKind::Minimize);
    EXPECT_EQ(ClassifyClip("{stop auto}"), ClipKind::StopAuto);
    EXPECT_EQ(ClassifyClip("{Tab}x"), ClipKind::Text);
    EXPECT_EQ(CommandKeys("{Shift+Tab}", " 2}"), "+{TAB 2}");
    // Every command the editor writes is one that sending knows.
    for (const EditorCommand& command : EditorCommands)
        EXPECT_NE(ClassifyClip(command.text), ClipKind::Text) << command.caption;
}

TEST(EditRules, RepeatCountTargetsAndSuffixes) {
    const QString x196(196, 'x');
    // The rows' texts, the current row and the item chosen; the outcome, the row changed
    // and its new text.
    const std::tuple<std::map<int, QString>, int, QString, RepeatOutcome, int, QString> cases[] = {
        // After a command the count goes to the row before the empty current one.
        {{{4, "{Tab}"}}, 5, "03", RepeatOutcome::Changed, 4, "{Tab}{03}"},
        {{{4, "{Tab}{03}"}}, 5, "12", RepeatOutcome::Changed, 4, "{Tab}{12}"},
        {{{4, "{Tab}"}, {5, "{Up}"}}, 5, "02", RepeatOutcome::Changed, 5, "{Up}{02}"},
        {{}, 0, "05", RepeatOutcome::Unchanged, -1, ""},           // no row before row 0
        {{{2, "abc"}}, 2, "05", RepeatOutcome::Unchanged, -1, ""}, // too short
        {{{2, "abcd"}}, 2, "05", RepeatOutcome::Changed, 2, "abcd{05}"},
        {{{2, "{Up}{00}"}}, 2, "05", RepeatOutcome::Changed, 2, "{Up}{00}{05}"},
        {{{2, "{Up}{01}"}}, 2, "05", RepeatOutcome::Changed, 2, "{Up}{05}"},
        // At most 200 characters; replacing a suffix never grows the row.
        {{{1, x196}}, 1, "02", RepeatOutcome::Changed, 1, x196 + "{02}"},
        {{{1, x196 + "y"}}, 1, "02", RepeatOutcome::TooLong, 1, x196 + "y"},
        {{{1, x196 + "{09}"}}, 1, "02", RepeatOutcome::Changed, 1, x196 + "{02}"},
        {{{4, "{Tab}"}}, 5, "", RepeatOutcome::Unchanged, -1, ""}, // the list's reset
        {{{39, "{Up}"}}, 39, "99", RepeatOutcome::Changed, 39, "{Up}{99}"}};
    for (const auto& [texts, current, item, outcome, row, text] : cases) {
        EditRows rows;
        for (const auto& [i, t] : texts)
            rows[i] = t;
        const RepeatResult r = ApplyRepeat(rows, current, item);
        EXPECT_EQ(r.outcome, outcome) << current << ' ' << item.toStdString();
        if (outcome != RepeatOutcome::Unchanged) {
            EXPECT_EQ(std::make_pair(r.row, r.text), std::make_pair(row, text)) << current;
        }
    }
    EXPECT_EQ(RepeatItems().size(), 98);
}

// The clip rows: focus scrolls the view one step only, the row keys stop at the ends, and
// a press is a drag only past 20 twips.
TEST(EditRules, FocusScrollsOneStepRowKeysStopAtTheEndsAndTwentyTwipsIsAClick) {
    const int scrolls[][3] = {{24, 0, 1},  {23, 0, 0},   {30, 0, 1},  {0, 1, 0},
                              {5, 16, 15}, {39, 16, 16}, {39, 15, 16}}; // row, value, after
    for (const auto& [row, value, after] : scrolls)
        EXPECT_EQ(ScrollForFocus(row, value), after) << row << " from " << value;
    const int focus[][3] = {{0, 23, 23}, {0, 24, 0}, {16, 39, 39}, {16, 15, 16}}; // value, row
    for (const auto& [value, row, after] : focus)
        EXPECT_EQ(RowToFocusAfterScroll(value, row), after) << row << " at " << value;
    EXPECT_TRUE(NextRow(0) == 1 && NextRow(39) == 39 && PreviousRow(0) == 0 &&
                PreviousRow(39) == 38);
    EXPECT_FALSE(IsDrag(20, 0) || IsDrag(-20, 20) || IsDrag(0, 0));
    EXPECT_TRUE(IsDrag(21, 0) && IsDrag(0, -21));
}

TEST(EditRules, SwatchesAndTheCharactersAnEntryCanHold) {
    // Every swatch is found by its colour, stored as 0x00BBGGRR (red in the low byte).
    for (int i = 0; i < SwatchCount; ++i)
        EXPECT_EQ(FindSwatch(Swatches()[i].color), Swatches()[i].index) << i;
    EXPECT_EQ(FindSwatch(0x0000FFFF), 0); // yellow
    EXPECT_EQ(FindSwatch(0x00123456), std::nullopt);
    EXPECT_EQ(FindSwatch(0x01FFFFFF), std::nullopt); // a stray high byte matches nothing
    EXPECT_EQ(FirstUnstorableCharacter(QString::fromUtf8("Ærø ß € „…“ ‰ Ÿ ‹› {Tab}")), "");
    const std::pair<const char*, const char*> unstorable[] = {
        {"pass😀word", "😀"}, {"ab漢字", "漢"}, {"Ωmega", "Ω"}}; // a pair is one character
    for (const auto& [text, first] : unstorable)
        EXPECT_EQ(FirstUnstorableCharacter(QString::fromUtf8(text)), QString::fromUtf8(first));
}
