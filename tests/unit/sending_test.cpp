// Clips and commands typed into the target: the repeat count, the command vocabulary, the
// overwrite and append sequences, the target guard and the one retry, compared as the
// readable log of what reached the key sender.
#include "SendingLog.h"
#include "platform/KeyNotation.h"

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

class ClipClickTest : public ::testing::Test, public SendingSetup {
protected:
    bool Click(int row, Qt::MouseButton button = Qt::LeftButton) {
        return ClipClick(t.program, actions, row, button);
    }
};

} // namespace

TEST_F(ClipClickTest, LeftOverwritesAndMovesOnOtherButtonsAppendWithOneBlankBetween) {
    Clips({"user@example.org", "a", "b", "c"});
    // An append, then an overwrite: the overwrite starts a new field, so the next append
    // needs no blank; the one after it does.
    EXPECT_TRUE(Click(1, Qt::RightButton));
    EXPECT_TRUE(Click(0));
    EXPECT_TRUE(Click(2, Qt::MiddleButton));
    EXPECT_TRUE(Click(3, Qt::RightButton));
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}][{END}][a]<on>"
                   "<off><ev>[{HOME}][+{END}][{DEL}][user@example.org][{TAB}]<on>"
                   "<off><ev>[{HOME}][+{END}][{END}][b]<on>"
                   "<off><ev>[{HOME}][+{END}][{END}][ ][c]<on>");
    EXPECT_TRUE(t.fakes.keys.lastWait);
}

TEST_F(ClipClickTest, TextIsTypedLiterally) {
    // Near misses of a command ("{Tab}{01}" has no valid count) are text too.
    Clips({"p+ss%^~(x){y}", QString::fromUtf8("Zoë€ß"), "{Tab}{01}", "{Tab 2}"});
    for (int row = 0; row < 4; ++row)
        Click(row);
    EXPECT_EQ(t.fakes.keys.typed,
              "{HOME}+{END}{DEL}p{+}ss{%}{^}{~}{(}x{)}{{}y{}}{TAB}" + QString("{HOME}+{END}{DEL}") +
                  QString::fromUtf8("Zoë€ß") +
                  "{TAB}{HOME}+{END}{DEL}{{}Tab{}}{{}01{}}{TAB}{HOME}+{END}{DEL}{{}Tab 2{}}{TAB}");
}

TEST_F(ClipClickTest, CommandsAreOneSendWithTheirCountAndActionsTypeNothing) {
    // In any letter case.
    Clips({"{Tab}{03}", "{shift+tab}", "{Enter}", "{PgDn}{99}", "{Minimize}{03}", "{STOP AUTO}"});
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(Click(row, row % 2 ? Qt::RightButton : Qt::LeftButton));
    EXPECT_EQ(log, "<off><ev>[{Tab 3}]<on><off><ev>[+{TAB 1}]<on>"
                   "<off><ev>[{Enter 1}]<on><off><ev>[{PgDn 99}]<on>");

    log.clear();
    t.program.TestMode = 1; // a row click minimises the program even while testing
    EXPECT_TRUE(Click(4));
    Click(5);
    EXPECT_EQ(log, "<off><ev><min><on><off><ev><on>");
}

TEST_F(ClipClickTest, KeysOnlyToTheTargetItStartedWith) {
    Clips({"secret", ""});
    auto& windows = t.fakes.windows;
    // Brought forward first; the main window's timer may pick another target meanwhile.
    windows.foreground = Terminal;
    actions.onEvents = [&] { t.program.TargetWindow = Terminal; };
    EXPECT_TRUE(Click(0));
    EXPECT_EQ(windows.activations, QList<WindowId>{Browser});
    EXPECT_EQ(t.fakes.keys.typed, "{HOME}+{END}{DEL}secret{TAB}");

    // A window that steals the focus mid-click gets none of the rest.
    log.clear();
    actions.onEvents = [] {};
    t.program.TargetWindow = Browser;
    onSend = [&](const QString& keys) {
        if (keys == "+{END}")
            windows.SwitchTo(Terminal);
    };
    windows.refuseActivation = true;
    EXPECT_FALSE(Click(0));
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}]<ev><on>");

    // The target refuses to come forward: the password goes nowhere, also not on retry.
    log.clear();
    EXPECT_FALSE(Click(0));
    EXPECT_EQ(log, "<off><ev><ev><on>");

    // No row, no target, the desktop, the shell's desktop window by its title, a vanished
    // window: nothing at all, not even a change of the foreground window.
    windows.activations.clear();
    for (int row : {1, 40, -1})
        EXPECT_FALSE(Click(row)) << row;
    windows.titles[300] = "Program Manager";
    windows.gone.append(400);
    for (WindowId target : {WindowId(0), Desktop, WindowId(300), WindowId(400)}) {
        t.program.TargetWindow = target;
        EXPECT_FALSE(Click(0, Qt::RightButton)) << target;
        EXPECT_FALSE(SendToTarget(t.program, actions, "{ENTER}")) << target;
    }
    EXPECT_EQ(log, "<off><ev><ev><on>");
    EXPECT_TRUE(windows.activations.isEmpty());
}

TEST_F(ClipClickTest, ATextSequenceIsRetriedOnceFromItsStartThenGivesUp) {
    Clips({"user", "more", "{Tab}"});
    // The text itself fails once: the whole sequence again, after pending events.
    onSend = [&](const QString& keys) {
        if (keys == "user" && !log.contains("![user]"))
            t.fakes.keys.failNext = 1;
    };
    EXPECT_TRUE(Click(0));
    EXPECT_EQ(
        log, "<off><ev>[{HOME}][+{END}][{DEL}]![user]<ev>[{HOME}][+{END}][{DEL}][user][{TAB}]<on>");

    // Twice: given up with key handling back on. A key command and the navigation
    // buttons' keys are not retried.
    log.clear();
    t.fakes.keys.failNext = 2;
    EXPECT_FALSE(Click(1, Qt::RightButton));
    t.fakes.keys.failNext = 1;
    EXPECT_FALSE(Click(2));
    t.fakes.keys.failNext = 1;
    EXPECT_FALSE(SendToTarget(t.program, actions, "{ENTER}"));
    EXPECT_EQ(log,
              "<off><ev>![{HOME}]<ev>![{HOME}]<on><off><ev>![{Tab 1}]<on><off><ev>![{ENTER}]<on>");

    // The keyboard focus went to another window mid-clip: the clip does not follow it
    // there, and it goes to the target only.
    log.clear();
    t.fakes.keys.failure = SendResult::FocusLost;
    onSend = [&](const QString& keys) {
        EXPECT_EQ(t.fakes.keys.lastTarget, Browser);
        if (keys == "user")
            t.fakes.keys.failNext = 1;
    };
    EXPECT_FALSE(Click(0));
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}][{DEL}]![user]<on>");
}
