// Clips and commands typed into the target: the repeat count, the command vocabulary, the
// overwrite and append sequences, the target guard and the one retry, compared as the
// readable log of what reached the key sender.
#include "SendingLog.h"
#include "platform/KeyNotation.h"

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

QString Keys(const QString& clip) {
    const RepeatSplit split = RepeatSuffix(clip);
    return CommandKeys(split.clip, split.suffix);
}

class ClipClickTest : public ::testing::Test, public SendingSetup {};

} // namespace

TEST(RepeatSuffix, TakesOffAValidTwoDigitCount) {
    EXPECT_EQ(Keys("{Tab}"), "{Tab 1}");
    EXPECT_EQ(Keys("{Down}{05}"), "{Down 5}");
    EXPECT_EQ(Keys("{Shift+Tab}"), "+{TAB 1}");
    EXPECT_EQ(Keys("{Shift+Tab}{12}"), "+{TAB 12}");
    EXPECT_EQ(Keys("{Tab}{99}"), "{Tab 99}");
    EXPECT_EQ(Keys("{Tab}{03}"), "{Tab 3}");
    EXPECT_EQ(Keys("{Tab}{ 7}"), "{Tab 7}"); // leading blank skipped
    EXPECT_EQ(Keys("{Tab}{7x}"), "{Tab 7}"); // reading stops at the x
    EXPECT_EQ(Keys("{Tab}{+4}"), "{Tab 4}");
    EXPECT_EQ(Keys("{Enter}{02}"), "{Enter 2}");
}

TEST(RepeatSuffix, LeavesClipsWithoutAValidCountAlone) {
    // Counts of 1 or less, or that do not read as a number, are no counts.
    for (const char* clip : {"{Tab}{01}", "{Tab}{00}", "{Tab}{x7}", "{Tab}{-5}", "{Tab}{.5}"}) {
        const RepeatSplit split = RepeatSuffix(clip);
        EXPECT_EQ(split.clip, clip) << clip;
        EXPECT_EQ(split.suffix, " 1}") << clip;
    }
    // Too short (7 characters), not starting with a brace, or not ending in one.
    EXPECT_EQ(RepeatSuffix("{a}{05}").clip, "{a}{05}");
    EXPECT_EQ(RepeatSuffix("x{Tab}{05}").clip, "x{Tab}{05}");
    EXPECT_EQ(RepeatSuffix("{Tab}{05").clip, "{Tab}{05");
    // Exactly 8 characters is long enough, and any clip loses a valid count.
    EXPECT_EQ(RepeatSuffix("{ab}{05}").clip, "{ab}");
    EXPECT_EQ(RepeatSuffix("{Minimize}{03}").clip, "{Minimize}");
    EXPECT_EQ(RepeatSuffix("{Stop Auto}{10}").clip, "{Stop Auto}");
}

TEST(ClassifyClip, CommandsAndActionsIgnoreLetterCase) {
    for (const char* clip : {"{tab}", "{TAB}", "{Tab}", "{sHiFt+TaB}", "+{tab}", "{Enter}", "{up}",
                             "{Down}", "{LEFT}", "{right}", "{Home}", "{end}", "{PgUp}", "{pgdn}"})
        EXPECT_EQ(ClassifyClip(clip), ClipKind::Command) << clip;
    EXPECT_EQ(ClassifyClip("{minimize}"), ClipKind::Minimize);
    EXPECT_EQ(ClassifyClip("{Stop Auto}"), ClipKind::StopAuto);
    EXPECT_EQ(ClassifyClip("{STOP AUTO}"), ClipKind::StopAuto);
    // Near misses are text and typed as such.
    for (const char* clip : {"Tab", "{Tab 2}", "{Enter }", " {Tab}", "{Del}", "{StopAuto}",
                             "{Tab}{01}", "{Shift Tab}"})
        EXPECT_EQ(ClassifyClip(clip), ClipKind::Text) << clip;
}

TEST_F(ClipClickTest, LeftClickOverwritesTheFieldThenMovesOn) {
    Clips({"user@example.org"});
    EXPECT_TRUE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}][{DEL}][user@example.org][{TAB}]<on>");
    EXPECT_TRUE(t.fakes.keys.lastWait);
    EXPECT_TRUE(t.fakes.windows.activations.isEmpty()); // already in front
}

TEST_F(ClipClickTest, AppendsGetOneBlankBetweenThemButNotAfterALeftClick) {
    Clips({"a", "b", "c", "d"});
    ClipClick(t.program, actions, 0, Qt::RightButton);
    ClipClick(t.program, actions, 1, Qt::MiddleButton);
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}][{END}][a]<on>"
                   "<off><ev>[{HOME}][+{END}][{END}][ ][b]<on>");
    EXPECT_EQ(t.fakes.keys.typed, "{HOME}+{END}{END}a{HOME}+{END}{END} b");

    log.clear();
    ClipClick(t.program, actions, 2, Qt::LeftButton);
    ClipClick(t.program, actions, 3, Qt::RightButton);
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}][{DEL}][c][{TAB}]<on>"
                   "<off><ev>[{HOME}][+{END}][{END}][d]<on>");
}

TEST_F(ClipClickTest, TextIsTypedLiterallyAndHiddenClipsTypeTheirRealText) {
    // The row of a hidden clip shows stars; the keys come from the clip itself.
    Clips({"p+ss%^~(x){y}", QString::fromUtf8("Zoë€ß")});
    ClipClick(t.program, actions, 0, Qt::LeftButton);
    ClipClick(t.program, actions, 1, Qt::LeftButton);
    EXPECT_EQ(t.fakes.keys.typed, "{HOME}+{END}{DEL}p{+}ss{%}{^}{~}{(}x{)}{{}y{}}{TAB}" +
                                      QString("{HOME}+{END}{DEL}") + QString::fromUtf8("Zoë€ß") +
                                      "{TAB}");
    // What was sent parses back to exactly the clip's characters.
    const ParsedKeys parsed = ParseKeys(EscapeForKeys("p+ss%^~(x){y}"));
    ASSERT_TRUE(parsed.Ok());
    EXPECT_EQ(parsed.strokes.size(), 13);
}

TEST_F(ClipClickTest, CommandsAreOneSendWithTheirCount) {
    Clips({"{Tab}{03}", "{shift+tab}", "{Enter}", "{PgDn}{99}", "{Tab}{01}"});
    for (int row = 0; row < 4; ++row)
        ClipClick(t.program, actions, row, row % 2 ? Qt::RightButton : Qt::LeftButton);
    EXPECT_EQ(log, "<off><ev>[{Tab 3}]<on><off><ev>[+{TAB 1}]<on>"
                   "<off><ev>[{Enter 1}]<on><off><ev>[{PgDn 99}]<on>");
    // "{Tab}{01}" carries no valid count, so it is text.
    log.clear();
    ClipClick(t.program, actions, 4, Qt::LeftButton);
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}][{DEL}][{{}Tab{}}{{}01{}}][{TAB}]<on>");
}

TEST_F(ClipClickTest, MinimizeAndStopAutoTypeNothing) {
    Clips({"{Minimize}{03}", "{stop auto}"});
    t.program.TestMode = 1; // a row click minimises the program even while testing
    EXPECT_TRUE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    ClipClick(t.program, actions, 1, Qt::LeftButton);
    EXPECT_EQ(log, "<off><ev><min><on><off><ev><on>");
    EXPECT_EQ(t.fakes.keys.calls, 0);
}

TEST_F(ClipClickTest, GuardsStopBeforeAnythingHappens) {
    Clips({"secret", ""});
    auto& windows = t.fakes.windows;
    t.program.SpaceBeforeAppend = 1;

    // An empty row: nothing at all, not even a change of the foreground window.
    windows.foreground = Terminal;
    EXPECT_FALSE(ClipClick(t.program, actions, 1, Qt::LeftButton));
    EXPECT_FALSE(ClipClick(t.program, actions, 40, Qt::LeftButton));
    EXPECT_FALSE(ClipClick(t.program, actions, -1, Qt::LeftButton));
    EXPECT_TRUE(windows.activations.isEmpty());
    EXPECT_EQ(t.program.SpaceBeforeAppend, 1);

    // No target: the left click does not even reset the append blank.
    t.program.TargetWindow = 0;
    EXPECT_FALSE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    EXPECT_EQ(t.program.SpaceBeforeAppend, 1);

    // The desktop as target: nothing typed, but a left click resets the blank.
    t.program.TargetWindow = Desktop;
    EXPECT_FALSE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    EXPECT_EQ(t.program.SpaceBeforeAppend, 0);

    // The shell's desktop window by its title, in any letter case; a vanished window.
    windows.titles[300] = "Program Manager";
    t.program.TargetWindow = 300;
    EXPECT_FALSE(ClipClick(t.program, actions, 0, Qt::RightButton));
    windows.gone.append(Browser);
    t.program.TargetWindow = Browser;
    EXPECT_FALSE(ClipClick(t.program, actions, 0, Qt::RightButton));

    EXPECT_EQ(log, "");
    EXPECT_EQ(t.fakes.keys.calls, 0);
    EXPECT_TRUE(windows.activations.isEmpty());
}

TEST_F(ClipClickTest, BringsTheTargetForwardAndTypesNothingWhenItWillNotCome) {
    Clips({"secret"});
    auto& windows = t.fakes.windows;
    windows.foreground = Terminal;
    EXPECT_TRUE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    EXPECT_EQ(windows.activations, QList<WindowId>{Browser});
    EXPECT_EQ(t.fakes.keys.typed, "{HOME}+{END}{DEL}secret{TAB}");

    // The target refuses to come forward: the password goes nowhere, also not on retry.
    log.clear();
    t.fakes.keys.typed.clear();
    windows.foreground = Terminal;
    windows.refuseActivation = true;
    EXPECT_FALSE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    EXPECT_EQ(log, "<off><ev><ev><on>");
    EXPECT_EQ(t.fakes.keys.calls, 5);
    EXPECT_TRUE(actions.keysOn);
}

TEST_F(ClipClickTest, AWindowThatStealsTheFocusMidClickGetsNoKeys) {
    Clips({"secret"});
    auto& windows = t.fakes.windows;
    onSend = [&](const QString& keys) {
        if (keys == "+{END}") {
            windows.SwitchTo(Terminal);
            windows.refuseActivation = true;
        }
    };
    EXPECT_FALSE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}]<ev><on>");
    EXPECT_FALSE(t.fakes.keys.typed.contains("secret"));
}

TEST_F(ClipClickTest, ATextSequenceIsRetriedOnceFromItsStart) {
    Clips({"user", "more"});
    // The text itself fails once: the whole sequence again, after pending events.
    bool failed = false;
    onSend = [&](const QString& keys) {
        if (keys == "user" && !failed) {
            failed = true;
            t.fakes.keys.failNext = 1;
        }
    };
    EXPECT_TRUE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    EXPECT_EQ(
        log, "<off><ev>[{HOME}][+{END}][{DEL}]![user]<ev>[{HOME}][+{END}][{DEL}][user][{TAB}]<on>");

    // An append that fails once keeps its blank decision for the retry.
    log.clear();
    t.program.SpaceBeforeAppend = 1;
    onSend = nullptr;
    t.fakes.keys.failNext = 1;
    EXPECT_TRUE(ClipClick(t.program, actions, 1, Qt::RightButton));
    EXPECT_EQ(log, "<off><ev>![{HOME}]<ev>[{HOME}][+{END}][{END}][ ][more]<on>");
}

TEST_F(ClipClickTest, ASecondFailureGivesUpWithKeyHandlingBackOn) {
    Clips({"user", "{Tab}"});
    t.program.SpaceBeforeAppend = 0;
    t.fakes.keys.failNext = 2;
    EXPECT_FALSE(ClipClick(t.program, actions, 0, Qt::RightButton));
    EXPECT_EQ(log, "<off><ev>![{HOME}]<ev>![{HOME}]<on>");
    EXPECT_TRUE(actions.keysOn);
    // Nothing was appended, so the next append needs no blank.
    EXPECT_EQ(t.program.SpaceBeforeAppend, 0);

    // A key command is not retried.
    log.clear();
    t.fakes.keys.failNext = 1;
    EXPECT_FALSE(ClipClick(t.program, actions, 1, Qt::LeftButton));
    EXPECT_EQ(log, "<off><ev>![{Tab 1}]<on>");
    EXPECT_TRUE(actions.keysOn);
}

TEST_F(ClipClickTest, AllKeysOfOneClickGoToTheTargetItStartedWith) {
    // The main window's timer may pick another target while events are processed.
    Clips({"secret"});
    actions.onEvents = [&] { t.program.TargetWindow = Terminal; };
    EXPECT_TRUE(ClipClick(t.program, actions, 0, Qt::LeftButton));
    EXPECT_TRUE(t.fakes.windows.activations.isEmpty());
    EXPECT_EQ(t.fakes.windows.foreground, Browser);
}

TEST_F(ClipClickTest, NavigationButtonsSendTheirKeysGuarded) {
    EXPECT_TRUE(SendToTarget(t.program, actions, "+{TAB}"));
    EXPECT_TRUE(SendToTarget(t.program, actions, "{TAB}"));
    EXPECT_TRUE(SendToTarget(t.program, actions, "{ENTER}"));
    EXPECT_EQ(log, "<off><ev>[+{TAB}]<on><off><ev>[{TAB}]<on><off><ev>[{ENTER}]<on>");

    log.clear();
    t.fakes.keys.failNext = 1; // not retried
    EXPECT_FALSE(SendToTarget(t.program, actions, "{ENTER}"));
    EXPECT_EQ(log, "<off><ev>![{ENTER}]<on>");

    log.clear();
    t.program.TargetWindow = Desktop;
    EXPECT_FALSE(SendToTarget(t.program, actions, "{ENTER}"));
    t.program.TargetWindow = 0;
    EXPECT_FALSE(SendToTarget(t.program, actions, "{ENTER}"));
    EXPECT_EQ(log, "");
}

TEST(TargetGuard, NeedsAKeySenderAndAWindowSystem) {
    TestProgram t;
    t.program.TargetWindow = 100;
    t.fakes.windows.foreground = 100;
    EXPECT_TRUE(TargetGuardPasses(t.program));
    t.program.platform.keys = nullptr;
    EXPECT_FALSE(TargetGuardPasses(t.program));
    t.program.platform = t.fakes.Get();
    t.program.platform.windows = nullptr;
    EXPECT_FALSE(TargetGuardPasses(t.program));
}
