// Clips and commands typed into the target, by a row click and by Auto Insert: the command
// vocabulary, the overwrite and append sequences, the target guard, the one retry and every
// way a run ends, compared as one readable log of what happened in order: "<off>" / "<on>"
// key handling, "<ev>" processed events, "<min>" minimising, "<pause>" / "<resume>" the
// main window's timer, "[keys]" each send and "![keys]" one that failed.
#include "FakeShell.h"
#include "TestProgram.h"
#include "insertion/AutoInsert.h"
#include "insertion/Sending.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

// Readable strings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace kelpo;

namespace {

constexpr WindowId Target = 100, Terminal = 200, Desktop = 1;

// The fixture is the insertion window too, logging each action.
class SendingTest : public ::testing::Test, public InsertionActions {
protected:
    void SetKeyHandling(bool on) override { log += on ? "<on>" : "<off>"; }
    void MinimizeProgram() override { log += "<min>"; }
    void MinimizeThis() override { log += "<minthis>"; }
    void ProcessEvents() override {
        log += "<ev>";
        onEvents();
    }

    SendingTest() {
        windows.desktops.append(Desktop);
        windows.foreground = t.program.TargetWindow = Target;
        t.program.shell = &shell;
        shell.onCall = [this](const QString& call) {
            if (call == "pause" || call == "resume")
                log += "<" + call + ">";
        };
        keys.beforeSend = [this](const QString& sent) {
            onSend(sent);
            log += (keys.failNext > 0 ? "![" : "[") + sent + "]";
        };
    }
    void Clips(std::initializer_list<QString> clips) {
        std::copy(clips.begin(), clips.end(), t.program.CurrentClips.begin());
    }
    bool Click(int row, Qt::MouseButton button = Qt::LeftButton) {
        return ClipClick(t.program, *this, row, button);
    }
    AutoInsertResult Run() { return AutoInsert(t.program, *this); }
    // Fails the send of `clip` the first `times` times it comes, with `result`.
    void FailOn(const QString& clip, int times = 1, SendResult result = SendResult::Failed) {
        keys.failure = result;
        onSend = [=, this, failed = 0](const QString& sent) mutable {
            EXPECT_EQ(keys.lastTarget, Target); // whatever happens, only to the target
            if (sent == clip && failed++ < times)
                keys.failNext = 1;
        };
    }
    static QString Overwrite(const QString& text) {
        return "[{HOME}][+{END}][{DEL}][" + text + "]";
    }

    TestProgram t;
    FakeKeySender& keys = t.fakes.keys;
    FakeWindowSystem& windows = t.fakes.windows;
    FakeShell shell;
    QString log;
    std::function<void()> onEvents = [] {};
    std::function<void(const QString&)> onSend = [](const QString&) {};
};

} // namespace

TEST_F(SendingTest, LeftOverwritesAndMovesOnOtherButtonsAppendWithOneBlankBetween) {
    Clips({"user@example.org", "a", "b", "c"});
    // An append, then an overwrite: the overwrite starts a new field, so the next append
    // needs no blank; the one after it does.
    EXPECT_TRUE(Click(1, Qt::RightButton));
    EXPECT_TRUE(Click(0));
    EXPECT_TRUE(Click(2, Qt::MiddleButton));
    EXPECT_TRUE(Click(3, Qt::RightButton));
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}][{END}][a]<on><off><ev>" +
                       Overwrite("user@example.org") + "[{TAB}]<on><off><ev>[{HOME}][+{END}]" +
                       "[{END}][b]<on><off><ev>[{HOME}][+{END}][{END}][ ][c]<on>");
    EXPECT_TRUE(keys.lastWait);
}

TEST_F(SendingTest, TextIsTypedLiterallyAndCommandsAreOneSendWithTheirCount) {
    // Near misses of a command ("{Tab}{01}" has no valid count) are text too; commands
    // are in any letter case.
    Clips({"p+ss%^~(x){y}", "Zoë€ß", "{Tab}{01}", "{Tab}{03}", "{shift+tab}", "{PgDn}{99}"});
    for (int row = 0; row < 6; ++row)
        EXPECT_TRUE(Click(row, row % 2 ? Qt::RightButton : Qt::LeftButton));
    EXPECT_EQ(log, "<off><ev>" + Overwrite("p{+}ss{%}{^}{~}{(}x{)}{{}y{}}") +
                       "[{TAB}]<on><off><ev>[{HOME}][+{END}][{END}][Zoë€ß]<on><off><ev>" +
                       Overwrite("{{}Tab{}}{{}01{}}") + "[{TAB}]<on><off><ev>[{Tab 3}]<on>" +
                       "<off><ev>[+{TAB 1}]<on><off><ev>[{PgDn 99}]<on>");
}

TEST_F(SendingTest, AClickTypesOnlyIntoTheTargetItStartedWith) {
    Clips({"secret", ""});
    // Brought forward first; the main window's timer may pick another target meanwhile.
    windows.foreground = Terminal;
    onEvents = [&] { t.program.TargetWindow = Terminal; };
    EXPECT_TRUE(Click(0));
    EXPECT_EQ(windows.activations, QList<WindowId>{Target});
    EXPECT_EQ(keys.typed, "{HOME}+{END}{DEL}secret{TAB}");

    // A window that steals the focus mid-click gets none of the rest.
    log.clear();
    onEvents = [] {};
    t.program.TargetWindow = Target;
    onSend = [&](const QString& sent) {
        if (sent == "+{END}")
            windows.SwitchTo(Terminal);
    };
    windows.refuseActivation = true;
    EXPECT_FALSE(Click(0));
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}]<ev><on>");
    // The target refuses to come forward: the password goes nowhere, also not on retry.
    log.clear();
    EXPECT_FALSE(Click(0));
    EXPECT_EQ(log, "<off><ev><ev><on>");

    // No row, no target, the desktop, a vanished window: nothing at all, not even a change
    // of the foreground window.
    windows.activations.clear();
    for (int row : {1, 40, -1})
        EXPECT_FALSE(Click(row)) << row;
    windows.gone.append(400);
    for (WindowId target : {WindowId(0), Desktop, WindowId(400)}) {
        t.program.TargetWindow = target;
        EXPECT_FALSE(Click(0, Qt::RightButton)) << target;
        EXPECT_FALSE(SendToTarget(t.program, *this, "{ENTER}")) << target;
    }
    EXPECT_EQ(log, "<off><ev><ev><on>");
    EXPECT_TRUE(windows.activations.isEmpty());
}

// A desktop that gives no way to type (no key sender): a click on a text clip copies it to
// the clipboard instead (its repeat-shaped end as text, whether or not a target was seen);
// a key command, a command button or Auto Insert does nothing; the user hears why once.
TEST_F(SendingTest, WithNoWayToTypeTextIsCopiedNothingIsTypedAndTheUserIsToldOnce) {
    Clips({"user", "pa{ss} 03", "{Tab}", "{Minimize}"});
    int told = 0;
    t.program.onCannotType = [&] { ++told; };
    t.program.platform.keys = nullptr;
    EXPECT_TRUE(Click(0));
    EXPECT_FALSE(Click(2));
    EXPECT_FALSE(Click(3, Qt::RightButton));
    EXPECT_FALSE(SendToTarget(t.program, *this, "{TAB}"));
    EXPECT_EQ(Run(), AutoInsertResult::NotStarted);
    t.program.TargetWindow = 0;
    EXPECT_TRUE(Click(1, Qt::RightButton));
    EXPECT_EQ(t.fakes.clipboard.copies, QStringList({"user", "pa{ss} 03"}));
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(log.isEmpty() && windows.activations.isEmpty()) << log.toStdString();
    // An empty row is no attempt to type.
    t.program.cannotTypeReported = false;
    EXPECT_FALSE(Click(4));
    EXPECT_EQ(told, 1);
    // Where keys can be typed, nothing goes to the clipboard.
    t.program.platform.keys = &keys;
    t.program.TargetWindow = Target;
    EXPECT_TRUE(Click(0));
    EXPECT_EQ(t.fakes.clipboard.copies.size(), 2);
}

TEST_F(SendingTest, AClickedTextIsRetriedOnceFromItsStartCommandsAndLostFocusAreNot) {
    Clips({"user", "more", "{Tab}"});
    FailOn("user");
    EXPECT_TRUE(Click(0));
    EXPECT_EQ(log,
              "<off><ev>[{HOME}][+{END}][{DEL}]![user]<ev>" + Overwrite("user") + "[{TAB}]<on>");
    // Twice: given up with key handling back on. A key command and the navigation
    // buttons' keys are not retried.
    log.clear();
    FailOn("{HOME}", 2);
    EXPECT_FALSE(Click(1, Qt::RightButton));
    FailOn("{Tab 1}");
    EXPECT_FALSE(Click(2));
    FailOn("{ENTER}");
    EXPECT_FALSE(SendToTarget(t.program, *this, "{ENTER}"));
    EXPECT_EQ(log,
              "<off><ev>![{HOME}]<ev>![{HOME}]<on><off><ev>![{Tab 1}]<on><off><ev>![{ENTER}]<on>");
    // The keyboard focus went to another window mid-clip: the clip does not follow it.
    log.clear();
    FailOn("user", 1, SendResult::FocusLost);
    EXPECT_FALSE(Click(0));
    EXPECT_EQ(log, "<off><ev>[{HOME}][+{END}][{DEL}]![user]<on>");
}

TEST_F(SendingTest, AutoInsertTypesEachFieldLiterallySkipsEmptyClipsAndRunsCommands) {
    Clips({"jane", "", "{Tab}{02}", "a+b", "{xy}{05}", "s3cret", "{Enter}", "{Minimize}",
           "{Stop Auto}", "x"});
    t.program.CurrentClips[39] = "{shift+tab}"; // not reached
    EXPECT_EQ(Run(), AutoInsertResult::Stopped);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") + "<ev>[{TAB}][{Tab 2}]" +
                       Overwrite("a{+}b") + "<ev>[{TAB}]" + Overwrite("{{}xy{}}") + "<ev>[{TAB}]" +
                       Overwrite("s3cret") + "<ev>[{TAB}][{Enter 1}]<ev><min><resume><on>");
    EXPECT_TRUE(keys.lastWait);
    // To the end of the list when nothing stops it.
    log.clear();
    t.program.CurrentClips.fill(QString());
    Clips({"a"});
    t.program.CurrentClips[39] = "{shift+tab}";
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("a") + "<ev>[{TAB}][+{TAB 1}]<resume><on>");
}

TEST_F(SendingTest, AutoInsertKeepsToTheEntryAndTargetItStartedWith) {
    Clips({"jane", "s3cret"});
    windows.foreground = Terminal;
    // Events are processed between clips; an entry opened or a target picked meanwhile
    // must not mix in.
    onEvents = [&] {
        t.program.CurrentClips.fill(QString());
        t.program.CurrentClips[1] = "other";
        t.program.TargetWindow = Terminal;
    };
    EXPECT_EQ(Run(), AutoInsertResult::Completed);
    EXPECT_EQ(windows.activations, QList<WindowId>{Target});
    EXPECT_EQ(keys.typed, "{HOME}+{END}{DEL}jane{TAB}{HOME}+{END}{DEL}s3cret{TAB}");

    // A target that will not come forward, or the desktop, gets nothing.
    log.clear();
    t.program.TargetWindow = Target;
    windows.foreground = Terminal;
    windows.refuseActivation = true;
    EXPECT_EQ(Run(), AutoInsertResult::NotStarted);
    t.program.TargetWindow = Desktop;
    EXPECT_EQ(Run(), AutoInsertResult::NotStarted);
    EXPECT_EQ(log, "<off><on>"); // the timer was never paused
}

TEST_F(SendingTest, AutoInsertStopsAtOnceWhenTheTargetIsLostAndRetriesAClipOncePerRun) {
    Clips({"jane", "s3cret", "{Enter}"});
    // Another window comes forward: not even the Tab after the password, and the target
    // is not pulled back.
    onSend = [&](const QString& sent) {
        if (sent == "s3cret")
            windows.SwitchTo(Terminal);
    };
    EXPECT_EQ(Run(), AutoInsertResult::TargetLost);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") + "<ev>[{TAB}]" + Overwrite("s3cret") +
                       "<ev><resume><on>");
    // Only the sender, which checks the real keyboard focus before each key, sees the
    // other window (the window manager has not caught up yet): no retry either.
    log.clear();
    windows.foreground = Target;
    FailOn("s3cret", 1, SendResult::FocusLost);
    EXPECT_EQ(Run(), AutoInsertResult::TargetLost);
    EXPECT_EQ(log, "<off><pause><ev>" + Overwrite("jane") + "<ev>[{TAB}]" +
                       "[{HOME}][+{END}][{DEL}]![s3cret]<resume><on>");
    EXPECT_TRUE(windows.activations.isEmpty());

    // The first failure is retried from the clip's start; the second ends the run.
    log.clear();
    Clips({"jane", "{Tab}", "s3cret"});
    FailOn("jane");
    const auto failJane = onSend;
    onSend = [&, failJane, tabs = 0](const QString& sent) mutable {
        failJane(sent);
        if (sent == "{Tab 1}" && tabs++ == 0)
            keys.failNext = 1;
    };
    EXPECT_EQ(Run(), AutoInsertResult::SendFailed);
    EXPECT_EQ(log, "<off><pause><ev>[{HOME}][+{END}][{DEL}]![jane]<ev>" + Overwrite("jane") +
                       "<ev>[{TAB}]![{Tab 1}]<resume><on>");
}
