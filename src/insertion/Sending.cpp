#include "insertion/Sending.h"

#include "platform/KeyNotation.h"
#include "platform/KeySender.h"
#include "storage/Program.h"

#include <QStringList>

namespace kelpo {

namespace {

// Reads the two characters of a count the way the editor's stored files expect: leading
// blanks skipped, an optional sign, digits, and a fraction that a two-character field can
// only make smaller than 1. Anything else ends the number.
double ReadCount(const QString& field) {
    int i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    double sign = 1;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        sign = field[i] == '-' ? -1 : 1;
        ++i;
    }
    double value = 0;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9')
        value = value * 10 + (field[i++].unicode() - '0');
    if (i < field.size() && field[i] == '.') {
        double scale = 0.1;
        for (++i; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i, scale /= 10)
            value += (field[i].unicode() - '0') * scale;
    }
    return sign * value;
}

} // namespace

RepeatSplit RepeatSuffix(const QString& clip) {
    const qsizetype n = clip.size();
    if (n >= 8 && clip.startsWith('{') && clip[n - 4] == '{' && clip[n - 1] == '}') {
        const double count = ReadCount(clip.mid(n - 3, 2));
        if (count > 1 && count < 100)
            return {clip.left(n - 4), QStringLiteral(" %1}").arg(static_cast<int>(count))};
    }
    return {clip, QStringLiteral(" 1}")};
}

ClipKind ClassifyClip(const QString& clip) {
    static const QStringList commands = {
        QStringLiteral("{TAB}"),   QStringLiteral("{SHIFT+TAB}"), QStringLiteral("+{TAB}"),
        QStringLiteral("{ENTER}"), QStringLiteral("{UP}"),        QStringLiteral("{DOWN}"),
        QStringLiteral("{LEFT}"),  QStringLiteral("{RIGHT}"),     QStringLiteral("{HOME}"),
        QStringLiteral("{END}"),   QStringLiteral("{PGUP}"),      QStringLiteral("{PGDN}"),
    };
    const QString upper = clip.toUpper();
    if (upper == QLatin1String("{MINIMIZE}"))
        return ClipKind::Minimize;
    if (upper == QLatin1String("{STOP AUTO}"))
        return ClipKind::StopAuto;
    if (commands.contains(upper))
        return ClipKind::Command;
    return ClipKind::Text;
}

QString CommandKeys(const QString& clip, const QString& suffix) {
    const QString keys =
        clip.toUpper() == QLatin1String("{SHIFT+TAB}") ? QStringLiteral("+{TAB}") : clip;
    return keys.left(keys.size() - 1) + suffix;
}

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
    if (!TargetGuardPasses(program))
        return false;
    const WindowId target = program.TargetWindow;
    KeyHandlingOff off(actions);
    EnsureForeground(program, target);
    actions.ProcessEvents();
    return SendGuarded(program, target, keys);
}

namespace {

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
    if (stored.isEmpty() || program.TargetWindow == 0)
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
