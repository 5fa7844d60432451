#include "editor/EditHelp.h"

#include "widgets/MouseEnterTracker.h"

#include <array>

namespace kelpo {

namespace {

const QString Break = QStringLiteral("\r\n");
const QString Paragraph = QStringLiteral("\r\n\r\n");
const QString Closing = QStringLiteral("Click to insert command in the clips and command list.");

struct CommandHelp {
    const char* title;
    const char* text;
};

// The command buttons by index; every text ends with the closing paragraph.
const std::array<CommandHelp, 13> CommandHelps = {{
    {"Command Shift+Tab", "Moves the cursor to the previous field when executed."},
    {"Command Tab", "Moves the cursor to the next field when executed."},
    {"Command Stop Auto",
     "If you have an auto log-in sequence but also need other clips for the form, insert "
     "this command after the log-in sequence. When you click the Auto-Insert button in the "
     "multi-clipboard window, Auto insertion will stop at this point.\r\n\r\n"
     "This is most usefull where a log-in screen asks for fixed details like username and "
     "password then asks a security question which is different each time.\r\n\r\n"
     "Put the username and password before this command and the variable information after "
     "it. You can then auto-insert your username and password and click on the answer to the "
     "security question."},
    {"Command Up", "Moves the cursor one field up when executed.\r\n"
                   "For dropdown lists, moves up the list."},
    {"Command Down", "Moves the cursor one field down when executed.\r\n"
                     "For dropdown lists, moves down the list."},
    {"Command Left", "Moves the cursor one field left when executed.\r\n"
                     "For option buttons, moves the selection left,"},
    {"Command Right", "Moves the cursor one field right when executed.\r\n"
                      "For option buttons, moves the selection right,"},
    {"Command End", "Sends End key to form when executed.\r\nEffect differs from form to form."},
    {"Command Home", "Sends Home key to form when executed.\r\nEffect differs from form to form."},
    {"Command PgUp", "Sends PgUp key to form when executed.\r\nEffect differs from form to form."},
    {"Command PgDn", "Sends PgDn key to form when executed.\r\nEffect differs from form to form."},
    {"Command Click",
     "Sends the enter key to form when executed.\r\n"
     "When the cursor is over a button in a web form, this has the same effect as clicking on "
     "the button."},
    {"Command Minimize",
     "Inserting this command at the end of a log-in sequence causes Kelpo to minimize after "
     "logging you in.\r\n\r\n"
     "Inserting this command as the first and only clip with a bookmark, causes Kelpo to "
     "minimize when you use it"},
}};

HelpText Help(const char* title, const QString& text) {
    return {QString::fromUtf8(title), text};
}

} // namespace

std::optional<HelpText> EditorHelp(const QString& controlDesc) {
    if (controlDesc.isEmpty())
        return std::nullopt;
    const ControlDescParts control = SplitControlDesc(controlDesc);
    const QString& n = control.name;

    if (n == QLatin1String("Names")) {
        if (!control.hasIndex || control.index < 0 || control.index >= int(CommandHelps.size()))
            return std::nullopt;
        const CommandHelp& help = CommandHelps[control.index];
        return Help(help.title, QString::fromUtf8(help.text) + Paragraph + Closing);
    }
    if (n == QLatin1String("SaveBtn"))
        return Help("Save Button", QStringLiteral("Saves and returns to main window."));
    if (n == QLatin1String("CancelBtn"))
        return Help("Cancel Button", QStringLiteral("Return to main window without saving."));
    if (n == QLatin1String("Label5") || n == QLatin1String("Label4") ||
        n == QLatin1String("Repeater"))
        return Help("Repeat Command",
                    QStringLiteral("If a command needs to be sent more than once in succession, "
                                   "select the number of times you want it sent here."));
    if (n == QLatin1String("Clipboardcolor") || n == QLatin1String("Frame4"))
        return Help("Color",
                    QStringLiteral("Colors the name on the main window after you click save."));
    if (n == QLatin1String("PasswordTitle"))
        return Help("Password", QStringLiteral("If you enter a password here, it will be "
                                               "required to use or edit this.") +
                                    Paragraph +
                                    QStringLiteral("Leave blank for no password protection."));
    if (n == QLatin1String("WebPageTitle"))
        return Help(
            "Bookmark URL",
            QStringLiteral("If you enter a website address here, you create a bookmark. "
                           "Clicking on the name in the main window will then launch your "
                           "browser and go directly to the web page you have entered here.") +
                Paragraph +
                QStringLiteral("If this bookmark has no log-in and you want Kelpo to minimize "
                               "when you use it, put the {Minimize} command in the first clip "
                               "position.") +
                Paragraph + QStringLiteral("HINT") + Break +
                QStringLiteral("Website names can be long. While you have the site in your "
                               "browser, right click in the address box and click COPY. You "
                               "can then paste it in by right clicking here and selecting "
                               "PASTE.") +
                Paragraph + QStringLiteral("Leave blank to use text clips only."));
    if (n == QLatin1String("Title"))
        return Help("Name",
                    QStringLiteral("This is the name that will be shown on the main window."));
    if (n == QLatin1String("data"))
        return Help("Clips and Command List",
                    QStringLiteral("This is where you enter the clips and commands that will be "
                                   "in the multi-clipboard window when you click on this name in "
                                   "the main window.") +
                        Paragraph + QStringLiteral("Left click to enter text manually") + Break +
                        QStringLiteral("Right click to paste into or copy from.") + Break +
                        QStringLiteral("Drag to move position in list.") + Paragraph +
                        QStringLiteral("Cursor commands are inserted by clicking the cursor "
                                       "command buttons to the right."));
    if (n == QLatin1String("HideOption"))
        return Help("Mask Passwords Etc. when Logging In",
                    QStringLiteral("Any clip that you select hide for will be masked by stars "
                                   "when you use this clip set."));
    if (n == QLatin1String("TestBtn"))
        return Help(
            "Test Auto-Log-In Sequences",
            QStringLiteral("If you are creating a one click log-in sequence, this will take "
                           "you temporarily to the multi-clipboard window to test with the web "
                           "form you want to log-in to.") +
                Paragraph +
                QStringLiteral("If you have already entered the website URL above, the page "
                               "will be displayed for you automatically the first time you "
                               "click test.(See Note)") +
                Paragraph +
                QStringLiteral("If you have not entered any clips, test loads the website "
                               "only.") +
                Paragraph + QStringLiteral("NOTE:") + Break +
                QStringLiteral("Only the first click on test loads the website. This is to "
                               "prevent multiple browser windows. If you have closed your "
                               "browser, you can force a re-load by clicking in the Bookmark URL "
                               "box above before clicking test."));
    return Help("Kelpo Quick Help",
                QStringLiteral("Displays help for the item that the mouse is over."));
}

} // namespace kelpo
