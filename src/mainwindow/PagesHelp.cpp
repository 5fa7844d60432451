#include "mainwindow/PagesHelp.h"

#include <QStringList>

namespace kelpo {

namespace {

// The lines joined by CR LF; an empty line stands for the blank line between paragraphs.
QString Lines(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

HelpText MainWindowHelp(const QString& name, bool slotHasName) {
    if (name == QLatin1String("OptionBtn"))
        return {QStringLiteral("Options"),
                Lines({QStringLiteral("Quick help on/off"),
                       QStringLiteral("Minimize to task bar/desk top")})};
    if (name == QLatin1String("Pagenames") && !slotHasName)
        return {QStringLiteral("Name"),
                Lines({QStringLiteral("Shows the name of the bookmark/Clip set"), QString(),
                       QStringLiteral("Click the edit button to the right to setup."), QString(),
                       QStringLiteral("To search names, type first letter.")})};
    if (name == QLatin1String("Pagenames"))
        return {QStringLiteral("Name"),
                Lines({QStringLiteral("Click to go to bookmark and use clips window."),
                       QStringLiteral("Right click to use clips window without bookmark."),
                       QStringLiteral("To move, drag to new empty position."),
                       QStringLiteral(
                           "To copy, drag to new empty position using the RIGHT mouse button."),
                       QStringLiteral("To move or copy to another library, first, drag over the "
                                      "new library button, then drop in an empty slot in the new "
                                      "library."),
                       QStringLiteral("To Erase, drag here.")})};
    if (name == QLatin1String("UseBtn"))
        return {QStringLiteral("Website Editor"),
                Lines({QStringLiteral("Click to enter or edit bookmark and clips."),
                       QStringLiteral("Right Click to edit notes.")})};
    if (name == QLatin1String("LibraryBtn") || name == QLatin1String("LibraryFrame"))
        return {QStringLiteral("Libraries"),
                Lines({QStringLiteral("Click to change library."),
                       QStringLiteral("Right click to name library."),
                       QStringLiteral("Drag to move position in list."),
                       QStringLiteral("Drag with right mouse button to copy"),
                       QStringLiteral("To Erase, drag here."), QStringLiteral("NOTES:"),
                       QStringLiteral("1. Button must be named before it can be dragged."),
                       QStringLiteral("2. You can move a library to any button but you can only "
                                      "copy to an empty one.")})};
    if (name == QLatin1String("UpgradeBtn"))
        return {QStringLiteral("Kelpo Free Upgrades"),
                QStringLiteral("Displays the Kelpo version you are using and a link to the Kelpo "
                               "upgrade website.   ")};
    if (name == QLatin1String("NotesText"))
        return {QStringLiteral("Notes"),
                Lines({QStringLiteral(
                           "Displays notes for the bookmark or clip set that the mouse is over."),
                       QString(),
                       QStringLiteral("To enter or edit notes, right click on the edit button.")})};
    if (name == QLatin1String("Command1"))
        return {QStringLiteral("Further Help in HTML Format:-"),
                Lines({QStringLiteral("Overview."), QStringLiteral("How To."),
                       QStringLiteral("Examples."), QString()})};
    return {QStringLiteral("Kelpo Quick Help"),
            Lines({QStringLiteral("Twin columns on left are for the names you give to your "
                                  "bookmarks/clip sets"),
                   QString(),
                   QStringLiteral("The large buttons in the column on the right are your "
                                  "libraries: the one pressed in is the library in use, and each "
                                  "library holds 50 names."),
                   QString(), QStringLiteral("To get started, click an Edit button.")})};
}

} // namespace kelpo
