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

TEST_F(AutoInsertTest, LogInTypesEachFieldThenPressesEnterOnce) {
    Clips({"jane", "s3cret", "{Enter}"});
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") + Overwrite("s3cret") +
                       "[{Enter 1}]<resume><on>");
    EXPECT_TRUE(t.fakes.keys.lastWait);
}

TEST_F(AutoInsertTest, CountedTabMidRunAndEmptyClipsSkipped) {
    Clips({"jane", "", "{Tab}{02}", "", "", "s3cret"});
    t.program.CurrentClips[39] = "{shift+tab}";
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") + "[{Tab 2}]" + Overwrite("s3cret") +
                       "[+{TAB 1}]<resume><on>");
}

TEST_F(AutoInsertTest, StopAutoEndsTheRunWithTimerAndKeysBackOn) {
    Clips({"a", "b", "c", "{Stop Auto}", "answer"});
    EXPECT_EQ(Run(), AutoInsertResult::Stopped);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("a") + Overwrite("b") + Overwrite("c") +
                       "<resume><on>");
    EXPECT_TRUE(actions.keysOn);
}

TEST_F(AutoInsertTest, MinimizeLastMinimisesAndInTestModeOnlyThisWindow) {
    Clips({"a", "{Minimize}"});
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("a") + "<ev><min><resume><on>");

    // The run goes on after a minimise; while testing only the insertion window goes.
    log.clear();
    Clips({"{MINIMIZE}{02}", "b"});
    t.program.TestMode = 1;
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(log, "<off><pause><ev><ev><minthis>" + Overwrite("b") + "<resume><on>");
}

TEST_F(AutoInsertTest, TextIsTypedLiterallyNeverAppended) {
    Clips({"a+b", "{xy}{05}"});
    t.program.SpaceBeforeAppend = 1;
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(log,
              "<off><pause><ev>" + Overwrite("a{+}b") + Overwrite("{{}xy{}}") + "<resume><on>");
    EXPECT_EQ(t.program.SpaceBeforeAppend, 1); // neither read nor changed
}

TEST_F(AutoInsertTest, NoTargetOrTheDesktopTypesNothingAndChangesNothing) {
    Clips({"a"});
    t.program.TargetWindow = Desktop;
    EXPECT_EQ(Run(), AutoInsertResult::NotStarted);
    t.fakes.windows.titles[300] = "PROGRAM MANAGER";
    t.program.TargetWindow = 300;
    EXPECT_EQ(Run(), AutoInsertResult::NotStarted);
    t.program.TargetWindow = 0;
    EXPECT_EQ(Run(), AutoInsertResult::NotStarted);
    EXPECT_EQ(log, "");
    EXPECT_EQ(t.fakes.keys.calls, 0);
}

TEST_F(AutoInsertTest, ActivatesTheTargetOnceAndTypesNothingWhenItWillNotCome) {
    Clips({"a", "b"});
    auto& windows = t.fakes.windows;
    windows.foreground = Terminal;
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(windows.activations, QList<WindowId>{Browser});

    log.clear();
    windows.foreground = Terminal;
    windows.refuseActivation = true;
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
    EXPECT_TRUE(actions.keysOn);
    EXPECT_FALSE(t.fakes.keys.typed.contains("s3cret"));

    // A command that fails once is sent again and the run completes.
    log.clear();
    failures = 1;
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") + "![{Tab 1}]<ev>[{Tab 1}]" +
                       Overwrite("s3cret") + "<resume><on>");
}

TEST_F(AutoInsertTest, KeepsTypingTheEntryItStartedWith) {
    // Events are processed between clips; an entry opened meanwhile must not mix in.
    Clips({"jane", "s3cret"});
    actions.onEvents = [&] {
        t.program.CurrentClips.fill(QString());
        t.program.CurrentClips[1] = "other";
        t.program.TargetWindow = Terminal;
    };
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(t.fakes.keys.typed, "{HOME}+{END}{DEL}jane{TAB}{HOME}+{END}{DEL}s3cret{TAB}");
}
