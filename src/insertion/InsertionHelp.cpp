#include "insertion/InsertionHelp.h"

namespace kelpo {

namespace {

struct HelpEntry {
    const char* control;
    const char* text;
};

constexpr HelpEntry HelpTable[] = {
    {"AutoBtn", "Inserts all clips."},
    {"ClickBtn", "Clicks highlighted button"},
    {"EditBtn", "Back to edit window.\nOr use Esc key"},
    {"LeftBtn", "Moves cursor to previous field."},
    {"RightBtn", "Moves cursor to Next field."},
    {"Names", "Left click overwrites.\nRight click appends."},
    {"HelpBtn", "Opens the help page."},
};

} // namespace

QString InsertionHelpText(const QString& control) {
    for (const HelpEntry& entry : HelpTable)
        if (control == QLatin1String(entry.control))
            return QString::fromLatin1(entry.text);
    return {};
}

} // namespace kelpo
