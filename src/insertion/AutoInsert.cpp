#include "insertion/AutoInsert.h"

#include "insertion/Sending.h"
#include "platform/KeySender.h"
#include "storage/Program.h"
#include "widgets/Shell.h"

#include <QStringList>

#include <array>

namespace kelpo {

namespace {

// Pauses the main window's timer so the target cannot change during the run.
class TimerPause {
public:
    explicit TimerPause(Program& program) : program_(program) {
        ShellOf(program_).PauseTimer(true);
    }
    ~TimerPause() { ShellOf(program_).PauseTimer(false); }
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;

private:
    Program& program_;
};

enum class Step { Done, Failed, Stop, TargetLost };

class Run {
public:
    Run(Program& program, InsertionActions& actions, WindowId target)
        : program_(program), actions_(actions), target_(target) {}

    Step Clip(const QString& stored) {
        const RepeatSplit split = RepeatSuffix(stored);
        switch (ClassifyClip(split.clip)) {
        case ClipKind::Minimize:
            actions_.ProcessEvents();
            if (program_.TestMode == 0)
                actions_.MinimizeProgram();
            else
                actions_.MinimizeThis();
            return Step::Done;
        case ClipKind::StopAuto:
            return Step::Stop;
        case ClipKind::Command:
            return Send(CommandKeys(split.clip, split.suffix));
        case ClipKind::Text:
            break;
        }
        for (const QString& keys : {QStringLiteral("{HOME}"), QStringLiteral("+{END}"),
                                    QStringLiteral("{DEL}"), TextKeys(split.clip)}) {
            if (const Step step = Send(keys); step != Step::Done)
                return step;
        }
        actions_.ProcessEvents();
        return Send(QStringLiteral("{TAB}"));
    }

private:
    // The run does not re-activate the target: a window that took the foreground was put
    // there by the user (or another program), and the rest of the log-in must not follow.
    // The sender itself stops between two keys when the real keyboard focus moves.
    Step Send(const QString& keys) {
        if (program_.platform.windows->ForegroundWindow() != target_)
            return Step::TargetLost;
        switch (program_.platform.keys->SendKeysTo(target_, keys, true)) {
        case SendResult::Ok:
            return Step::Done;
        case SendResult::FocusLost:
            return Step::TargetLost;
        default:
            return Step::Failed;
        }
    }

    Program& program_;
    InsertionActions& actions_;
    const WindowId target_;
};

} // namespace

AutoInsertResult AutoInsert(Program& program, InsertionActions& actions) {
    if (!CanType(program) || !TargetGuardPasses(program))
        return AutoInsertResult::NotStarted;
    const WindowId target = program.TargetWindow;
    // A reload of the entry during the run (events are processed between clips) must not
    // mix two entries' clips.
    const std::array<QString, ClipCount> clips = program.CurrentClips;

    KeyHandlingOff off(actions);
    if (!EnsureForeground(program, target))
        return AutoInsertResult::NotStarted;
    TimerPause pause(program);
    actions.ProcessEvents();

    Run run(program, actions, target);
    bool retried = false;
    for (const QString& clip : clips) {
        if (clip.isEmpty())
            continue;
        for (;;) {
            const Step step = run.Clip(clip);
            if (step == Step::Done)
                break;
            if (step == Step::Stop)
                return AutoInsertResult::Stopped;
            if (step == Step::TargetLost)
                return AutoInsertResult::TargetLost;
            if (retried)
                return AutoInsertResult::SendFailed;
            // One retry per run: the clip again from its start, after pending events.
            retried = true;
            actions.ProcessEvents();
        }
    }
    return AutoInsertResult::Completed;
}

} // namespace kelpo
