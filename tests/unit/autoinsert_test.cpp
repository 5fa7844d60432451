// Auto Insert runs through the recording fakes: the order of keys, the actions, the timer
// pause and key handling, and every way a run ends.
#include "SendingLog.h"
#include "insertion/AutoInsert.h"

#include <gtest/gtest.h>

using namespace kelpo;

namespace {

class AutoInsertTest : public ::testing::Test, public SendingSetup {
protected:
    AutoInsertResult Run() { return AutoInsert(t.program, actions); }
};

const QString Overwrite(const QString& text) {
    return "[{HOME}][+{END}][{DEL}][" + text + "]<ev>[{TAB}]";
}

} // namespace

TEST_F(AutoInsertTest, TypesEachFieldLiterallySkipsEmptyClipsAndRunsCommands) {
    Clips({"jane", "", "{Tab}{02}", "a+b", "{xy}{05}", "s3cret", "{Enter}"});
    t.program.CurrentClips[39] = "{shift+tab}";
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") + "[{Tab 2}]" + Overwrite("a{+}b") +
                       Overwrite("{{}xy{}}") + Overwrite("s3cret") + "[{Enter 1}][+{TAB 1}]" +
                       "<resume><on>");
    EXPECT_TRUE(t.fakes.keys.lastWait);
}

TEST_F(AutoInsertTest, StopAutoEndsTheRunAndMinimizeGoesOn) {
    Clips({"a", "{Minimize}", "{Stop Auto}", "answer"});
    EXPECT_EQ(Run(), AutoInsertResult::Stopped);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("a") + "<ev><min><resume><on>");
}

TEST_F(AutoInsertTest, ActivatesTheTargetOnceAndKeepsToTheEntryAndTargetItStartedWith) {
    Clips({"jane", "s3cret"});
    auto& windows = t.fakes.windows;
    windows.foreground = Terminal;
    // Events are processed between clips; an entry opened or a target picked meanwhile
    // must not mix in.
    actions.onEvents = [&] {
        t.program.CurrentClips.fill(QString());
        t.program.CurrentClips[1] = "other";
        t.program.TargetWindow = Terminal;
    };
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(windows.activations, QList<WindowId>{Browser});
    EXPECT_EQ(t.fakes.keys.typed, "{HOME}+{END}{DEL}jane{TAB}{HOME}+{END}{DEL}s3cret{TAB}");

    // A target that will not come forward, or the desktop, gets nothing.
    log.clear();
    t.program.TargetWindow = Browser;
    windows.foreground = Terminal;
    windows.refuseActivation = true;
    EXPECT_EQ(Run(), AutoInsertResult::NotStarted);
    t.program.TargetWindow = Desktop;
    EXPECT_EQ(Run(), AutoInsertResult::NotStarted);
    EXPECT_EQ(log, "<off><on>"); // the timer was never paused
}

TEST_F(AutoInsertTest, StopsAtOnceWhenAnotherWindowComesForward) {
    Clips({"jane", "s3cret", "{Enter}"});
    onSend = [&](const QString& keys) {
        if (keys == "s3cret")
            t.fakes.windows.SwitchTo(Terminal);
    };
    EXPECT_EQ(Run(), AutoInsertResult::TargetLost);
    // Not even the Tab after the password, and the target is not pulled back.
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") +
                       "[{HOME}][+{END}][{DEL}][s3cret]<ev><resume><on>");
    EXPECT_TRUE(t.fakes.windows.activations.isEmpty());
}

TEST_F(AutoInsertTest, StopsWithoutRetryWhenTheSenderSeesTheFocusGoMidClip) {
    // The window manager has not caught up yet: only the sender, which checks the real
    // keyboard focus before each key, sees the other window.
    Clips({"jane", "s3cret", "{Enter}"});
    onSend = [&](const QString& keys) {
        EXPECT_EQ(t.fakes.keys.lastTarget, Browser);
        if (keys == "s3cret") {
            t.fakes.keys.failure = SendResult::FocusLost;
            t.fakes.keys.failNext = 1;
        }
    };
    EXPECT_EQ(Run(), AutoInsertResult::TargetLost);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") +
                       "[{HOME}][+{END}][{DEL}]![s3cret]<resume><on>");
    EXPECT_TRUE(t.fakes.windows.activations.isEmpty());
}

TEST_F(AutoInsertTest, AFailedClipIsProcessedAgainOncePerRun) {
    Clips({"jane", "{Tab}", "s3cret"});
    int failures = 0;
    onSend = [&](const QString& keys) {
        if ((keys == "jane" && failures == 0) || (keys == "{Tab 1}" && failures == 1)) {
            ++failures;
            t.fakes.keys.failNext = 1;
        }
    };
    // The first failure is retried from the clip's start; the second ends the run.
    EXPECT_EQ(Run(), AutoInsertResult::SendFailed);
    EXPECT_EQ(log, "<off><pause><ev>[{HOME}][+{END}][{DEL}]![jane]<ev>" + Overwrite("jane") +
                       "![{Tab 1}]<resume><on>");
}
