#include "insertion/Sending.h"

#include "platform/KeyNotation.h"
#include "platform/Clipboard.h"
#include "platform/KeySender.h"
#include "storage/Program.h"

#include <QStringList>

namespace kelpo {

QString TextKeys(const QString& clip) {
    return EscapeForKeys(clip);
}

bool TargetGuardPasses(Program& program) {
    const WindowId target = program.TargetWindow;
    WindowSystem* windows = program.platform.windows;
    if (target == 0 || !windows || !program.platform.keys)
        return false;
    // A window that vanished since the timer saw it can receive nothing.
    if (!windows->WindowExists(target) || windows->IsDesktop(target))
        return false;
    return windows->WindowTitle(target).toUpper() != QLatin1String("PROGRAM MANAGER");
}

bool EnsureForeground(Program& program, WindowId target) {
    WindowSystem* windows = program.platform.windows;
    if (!windows || target == 0)
        return false;
    if (windows->ForegroundWindow() == target)
        return true;
    if (!windows->WindowExists(target))
        return false;
    windows->BringToForeground(target, ForegroundTimeoutMs);
    return windows->ForegroundWindow() == target;
}

bool CanType(Program& program) {
    if (program.platform.keys)
        return true;
    ReportCannotType(program);
    return false;
}

namespace {

// Keys go to whatever window is in front; typing them anywhere but the target could hand
// a password to the wrong program. The sender also stops the moment the real keyboard
// focus leaves the target, which the foreground window reports only later.
SendResult SendOnce(Program& program, WindowId target, const QString& keys) {
    if (!program.platform.keys || !EnsureForeground(program, target))
        return SendResult::Failed;
    return program.platform.keys->SendKeysTo(target, keys, true);
}

} // namespace

bool SendGuarded(Program& program, WindowId target, const QString& keys) {
    return SendOnce(program, target, keys) == SendResult::Ok;
}

bool SendToTarget(Program& program, InsertionActions& actions, const QString& keys) {
    if (!CanType(program) || !TargetGuardPasses(program))
        return false;
    const WindowId target = program.TargetWindow;
    KeyHandlingOff off(actions);
    EnsureForeground(program, target);
    actions.ProcessEvents();
    return SendGuarded(program, target, keys);
}

namespace {

// Where nothing can be typed, a text clip goes to the clipboard for the user to paste;
// a key command cannot be carried out that way and is left alone.
bool CopyInstead(Program& program, const QString& stored) {
    const RepeatSplit split = RepeatSuffix(stored);
    if (!program.platform.clipboard || ClassifyClip(split.clip) != ClipKind::Text)
        return false;
    program.platform.clipboard->CopyPrivately(split.clip);
    return true;
}

SendResult SendSequence(Program& program, WindowId target, const QStringList& sequence) {
    for (const QString& keys : sequence) {
        if (const SendResult result = SendOnce(program, target, keys); result != SendResult::Ok)
            return result;
    }
    return SendResult::Ok;
}

} // namespace

bool ClipClick(Program& program, InsertionActions& actions, int row, Qt::MouseButton button) {
    if (row < 0 || row >= ClipCount)
        return false;
    // The text always comes from the clips, never from the row (which may show stars).
    const QString stored = program.CurrentClips[row];
    if (stored.isEmpty())
        return false;
    if (!CanType(program))
        return CopyInstead(program, stored);
    if (program.TargetWindow == 0)
        return false;
    const bool overwrite = button == Qt::LeftButton;
    if (overwrite)
        program.SpaceBeforeAppend = 0;
    if (!TargetGuardPasses(program))
        return false;
    // Every key of one click goes to one window, even if the timer picks another meanwhile.
    const WindowId target = program.TargetWindow;

    KeyHandlingOff off(actions);
    const RepeatSplit split = RepeatSuffix(stored);
    EnsureForeground(program, target);
    actions.ProcessEvents();

    switch (ClassifyClip(split.clip)) {
    case ClipKind::Minimize:
        actions.MinimizeProgram();
        return true;
    case ClipKind::StopAuto:
        return false;
    case ClipKind::Command:
        return SendGuarded(program, target, CommandKeys(split.clip, split.suffix));
    case ClipKind::Text:
        break;
    }

    QStringList sequence;
    const QString text = TextKeys(split.clip);
    if (overwrite) {
        sequence = {QStringLiteral("{HOME}"), QStringLiteral("+{END}"), QStringLiteral("{DEL}"),
                    text, QStringLiteral("{TAB}")};
    } else {
        sequence = {QStringLiteral("{HOME}"), QStringLiteral("+{END}"), QStringLiteral("{END}")};
        // The blank is decided once, so a retried sequence repeats the same keys.
        if (program.SpaceBeforeAppend == 1)
            sequence.append(QStringLiteral(" "));
        sequence.append(text);
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            actions.ProcessEvents();
        const SendResult result = SendSequence(program, target, sequence);
        if (result == SendResult::Ok) {
            // Only a clip that really arrived makes the next appended one need a blank.
            if (!overwrite)
                program.SpaceBeforeAppend = 1;
            return true;
        }
        // Another window took the keyboard: it was put there by the user or another
        // program, and the clip must not follow the target back there.
        if (result == SendResult::FocusLost)
            return false;
    }
    return false;
}

} // namespace kelpo
