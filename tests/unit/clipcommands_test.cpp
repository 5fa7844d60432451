// The clip vocabulary: the two repeat-count rules (sending's 2-99 on a command-shaped clip,
// the editor's "above 0" on any text) and what a command is sent as.
#include "core/ClipCommands.h"

#include <gtest/gtest.h>

using namespace kelpo;

TEST(RepeatSuffix, OnlyACountOf2To99OnABracedClipOf8OrMoreCharacters) {
    struct Case {
        const char* clip;
        const char* rest;
        const char* suffix;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"{Tab}{03}", "{Tab}", " 3}"},
             {"{Down}{99}", "{Down}", " 99}"},
             {"{Up}{ 5}", "{Up}", " 5}"},       // leading blank skipped
             {"{Tab}{01}", "{Tab}{01}", " 1}"}, // 1 is no count
             {"{Tab}{00}", "{Tab}{00}", " 1}"},
             {"{Tab}{5x}", "{Tab}", " 5}"},   // reading stops at the x
             {"{ab}{05}", "{ab}", " 5}"},     // exactly 8 characters
             {"{a}{05}", "{a}{05}", " 1}"},   // 7 are too few
             {"user{05}", "user{05}", " 1}"}, // must start with a brace
             {"{Tab}", "{Tab}", " 1}"},
         }) {
        const RepeatSplit split = RepeatSuffix(c.clip);
        EXPECT_EQ(split.clip, c.rest) << c.clip;
        EXPECT_EQ(split.suffix, c.suffix) << c.clip;
    }
}

TEST(ClipCommands, KindsIgnoreCaseAndCommandsAreSentWithTheirCount) {
    EXPECT_EQ(ClassifyClip("{tab}"), ClipKind::Command);
    EXPECT_EQ(ClassifyClip("+{TAB}"), ClipKind::Command);
    EXPECT_EQ(ClassifyClip("{Minimize}"), ClipKind::Minimize);
    EXPECT_EQ(ClassifyClip("{stop auto}"), ClipKind::StopAuto);
    EXPECT_EQ(ClassifyClip("{Tab}x"), ClipKind::Text);
    EXPECT_EQ(CommandKeys("{Shift+Tab}", " 2}"), "+{TAB 2}");
    EXPECT_EQ(CommandKeys("{PgDn}", " 1}"), "{PgDn 1}");
    // Every command the editor writes is one that sending knows.
    for (const EditorCommand& command : EditorCommands)
        EXPECT_NE(ClassifyClip(command.text), ClipKind::Text) << command.caption;
}

TEST(EditorRepeat, ReplacesACountAboveZeroElseAppendsAndLeavesShortTextsAlone) {
    EXPECT_EQ(RepeatItems().size(), 98);
    EXPECT_EQ(RepeatItems().first(), "02");
    EXPECT_EQ(RepeatItems().last(), "99");
    struct Case {
        const char* text;
        const char* item;
        const char* result;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"{Tab}", "03", "{Tab}{03}"},
             {"{Tab}{03}", "12", "{Tab}{12}"},
             {"{Tab}{00}", "05", "{Tab}{00}{05}"}, // {00} is no count
             {"{Tab}{01}", "05", "{Tab}{05}"},     // but {01} is, for the editor
             {"user", "02", "user{02}"},           // any text qualifies
             {"abc", "02", "abc"},                 // 3 characters or fewer: unchanged
         })
        EXPECT_EQ(WithRepeatCount(c.text, c.item), c.result) << c.text;
}
