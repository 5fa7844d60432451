#include "core/ClipCommands.h"

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

// The count field of a text shaped "...{nn}", or nothing.
bool CountField(const QString& text, double* count) {
    const qsizetype n = text.size();
    if (n < 4 || text[n - 4] != '{' || text[n - 1] != '}')
        return false;
    *count = ReadCount(text.mid(n - 3, 2));
    return true;
}

} // namespace

const std::array<EditorCommand, EditorCommandCount> EditorCommands = {{
    {"Shift+Tab", "{Shift+Tab}"},
    {"Tab", "{Tab}"},
    {"Stop Auto", "{Stop Auto}"},
    {"Up", "{Up}"},
    {"Down", "{Down}"},
    {"Left", "{Left}"},
    {"Right", "{Right}"},
    {"End", "{End}"},
    {"Home", "{Home}"},
    {"PgUp", "{PgUp}"},
    {"PgDn", "{PgDn}"},
    {"Click", "{Enter}"},
    {"Minimize", "{Minimize}"},
}};

RepeatSplit RepeatSuffix(const QString& clip) {
    double count = 0;
    if (clip.size() >= 8 && clip.startsWith('{') && CountField(clip, &count) && count > 1 &&
        count < 100)
        return {clip.left(clip.size() - 4), QStringLiteral(" %1}").arg(static_cast<int>(count))};
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

QStringList RepeatItems() {
    QStringList items;
    for (int n = 2; n <= 99; ++n)
        items.append(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
    return items;
}

bool EndsInRepeatCount(const QString& text) {
    double count = 0;
    return CountField(text, &count) && count > 0;
}

QString WithRepeatCount(const QString& text, const QString& item) {
    if (text.size() <= 3)
        return text;
    const QString suffix = QLatin1Char('{') + item + QLatin1Char('}');
    return EndsInRepeatCount(text) ? text.left(text.size() - 4) + suffix : text + suffix;
}

} // namespace kelpo
