// The main window's and the editor's help tables and the control descriptions the mouse-enter
// tracker gives, without a display.
#include "editor/EditHelp.h"
#include "mainwindow/PagesHelp.h"
#include "widgets/MouseEnterTracker.h"

#include <gtest/gtest.h>

using namespace kelpo;

TEST(ControlDesc, SplitsArrayMembersAndKeepsPlainNamesWhole) {
    struct Case {
        const char* desc;
        const char* name;
        int index;
        bool hasIndex;
    };
    const Case cases[] = {
        {"Pagenames(12)", "Pagenames", 12, true},
        {"UseBtn(7)", "UseBtn", 7, true},
        {"NotesText", "NotesText", 0, false},
        // A name with brackets inside but not at the end is a plain name.
        {"Odd(3)x", "Odd(3)x", 0, false},
        // The index is the number the text starts with; none is 0.
        {"Names(4x)", "Names", 4, true},
        {"Names()", "Names", 0, true},
        {"Names(abc)", "Names", 0, true},
        // The name ends at the first bracket.
        {"A(1)(2)", "A", 1, true},
        {"", "", 0, false},
    };
    for (const Case& c : cases) {
        const ControlDescParts parts = SplitControlDesc(QString::fromUtf8(c.desc));
        EXPECT_EQ(parts.name, QString::fromUtf8(c.name)) << c.desc;
        EXPECT_EQ(parts.index, c.index) << c.desc;
        EXPECT_EQ(parts.hasIndex, c.hasIndex) << c.desc;
    }
}

TEST(MainWindowHelp, EveryControlHasItsTitleAndUnknownOnesTheGeneralHelp) {
    struct Case {
        const char* name;
        bool named;
        const char* title;
    };
    const Case cases[] = {
        {"OptionBtn", false, "Options"},
        {"Pagenames", false, "Name"},
        {"Pagenames", true, "Name"},
        {"UseBtn", false, "Website Editor"},
        {"UseBtn", true, "Website Editor"}, // whatever the slot holds
        {"LibraryBtn", false, "Libraries"},
        {"LibraryFrame", false, "Libraries"},
        {"UpgradeBtn", false, "Kelpo Free Upgrades"},
        {"NotesText", false, "Notes"},
        {"Command1", false, "Further Help in HTML Format:-"},
        {"Trashlabel", false, "Kelpo Quick Help"},
        {"MinimizeBtn", false, "Kelpo Quick Help"},
        {"HelpLabel", false, "Kelpo Quick Help"},
        {"Picture2", false, "Kelpo Quick Help"},
        {"NotesFrame", false, "Kelpo Quick Help"},
        // Matched whole and with case: neither a prefix nor another case is the control.
        {"Pagenames2", true, "Kelpo Quick Help"},
        {"usebtn", false, "Kelpo Quick Help"},
        {"", false, "Kelpo Quick Help"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MainWindowHelp(QString::fromUtf8(c.name), c.named).title,
                  QString::fromUtf8(c.title))
            << c.name << " named " << c.named;
}

TEST(MainWindowHelp, TextsKeepTheirLineBreaksBlankLinesAndTrailingBlanks) {
    EXPECT_EQ(MainWindowHelp("OptionBtn", false).text,
              "Quick help on/off\r\nMinimize to task bar/desk top");
    EXPECT_EQ(MainWindowHelp("Pagenames", false).text,
              "Shows the name of the bookmark/Clip set\r\n\r\nClick the edit button to the "
              "right to setup.\r\n\r\nTo search names, type first letter.");
    EXPECT_EQ(MainWindowHelp("Pagenames", true).text,
              "Click to go to bookmark and use clips window.\r\n"
              "Right click to use clips window without bookmark.\r\n"
              "To move, drag to new empty position.\r\n"
              "To copy, drag to new empty position using the RIGHT mouse button.\r\n"
              "To move or copy to another library, first, drag over the new library button, "
              "then drop in an empty slot in the new library.\r\n"
              "To Erase, drag here.");
    EXPECT_EQ(MainWindowHelp("UseBtn", false).text,
              "Click to enter or edit bookmark and clips.\r\nRight Click to edit notes.");
    EXPECT_EQ(MainWindowHelp("LibraryFrame", false).text,
              "Click to change library.\r\nRight click to name library.\r\n"
              "Drag to move position in list.\r\nDrag with right mouse button to copy\r\n"
              "To Erase, drag here.\r\nNOTES:\r\n"
              "1. Button must be named before it can be dragged.\r\n"
              "2. You can move a library to any button but you can only copy to an empty one.");
    EXPECT_EQ(MainWindowHelp("UpgradeBtn", false).text,
              "Displays the Kelpo version you are using and a link to the Kelpo upgrade "
              "website.   ");
    EXPECT_EQ(MainWindowHelp("NotesText", false).text,
              "Displays notes for the bookmark or clip set that the mouse is over.\r\n\r\n"
              "To enter or edit notes, right click on the edit button.");
    EXPECT_EQ(MainWindowHelp("Command1", false).text, "Overview.\r\nHow To.\r\nExamples.\r\n");

    const QStringList general = MainWindowHelp("Anything", false).text.split("\r\n");
    ASSERT_EQ(general.size(), 5);
    EXPECT_EQ(general[0],
              "Twin columns on left are for the names you give to your bookmarks/clip sets");
    EXPECT_EQ(general[1], "");
    EXPECT_TRUE(general[2].contains("libraries") && general[2].contains("50"));
    EXPECT_EQ(general[3], "");
    EXPECT_EQ(general[4], "To get started, click an Edit button.");

    EXPECT_EQ(HelpForLabel("a\r\n\r\nb\r\n"), "a\n\nb\n");
}

TEST(EditorHelp, TheCommandIndexChoosesTheRowAndOtherNamesIgnoreIt) {
    const char* const commandTitles[] = {
        "Command Shift+Tab", "Command Tab",   "Command Stop Auto", "Command Up",   "Command Down",
        "Command Left",      "Command Right", "Command End",       "Command Home", "Command PgUp",
        "Command PgDn",      "Command Click", "Command Minimize"};
    const QString closing = "\r\n\r\nClick to insert command in the clips and command list.";
    for (int i = 0; i < 13; ++i) {
        const auto help = EditorHelp(QStringLiteral("Names(%1)").arg(i));
        ASSERT_TRUE(help) << i;
        EXPECT_EQ(help->title, commandTitles[i]);
        EXPECT_TRUE(help->text.endsWith(closing)) << i;
        EXPECT_FALSE(help->text.endsWith("\r\n\r\n" + closing)) << i;
    }
    // Outside the commands, or no index at all: the panel keeps what it shows.
    EXPECT_FALSE(EditorHelp("Names(13)"));
    EXPECT_FALSE(EditorHelp("Names(99)"));
    EXPECT_FALSE(EditorHelp(""));
    EXPECT_FALSE(EditorHelp("Names"));

    struct Case {
        const char* desc;
        const char* title;
    };
    const Case cases[] = {
        {"SaveBtn", "Save Button"},
        {"CancelBtn", "Cancel Button"},
        {"Label5", "Repeat Command"},
        {"Label4", "Repeat Command"},
        {"Repeater", "Repeat Command"},
        {"Clipboardcolor(0)", "Color"},
        {"Clipboardcolor(24)", "Color"}, // the marker, like every swatch
        {"Frame4", "Color"},
        {"PasswordTitle", "Password"},
        {"WebPageTitle", "Bookmark URL"},
        {"Title", "Name"},
        {"data(39)", "Clips and Command List"},
        {"HideOption(0)", "Mask Passwords Etc. when Logging In"},
        {"TestBtn", "Test Auto-Log-In Sequences"},
        // Anything else, a label of a field included, and names in another case.
        {"Label1", "Kelpo Quick Help"},
        {"savebtn", "Kelpo Quick Help"},
        {"EditScroll", "Kelpo Quick Help"},
    };
    for (const Case& c : cases) {
        const auto help = EditorHelp(QString::fromUtf8(c.desc));
        ASSERT_TRUE(help) << c.desc;
        EXPECT_EQ(help->title, QString::fromUtf8(c.title)) << c.desc;
    }
    EXPECT_EQ(EditorHelp("Somewhere")->text, "Displays help for the item that the mouse is over.");
}

TEST(EditorHelp, TextsKeepTheProgramsWordingAndBreaks) {
    EXPECT_EQ(EditorHelp("Names(11)")->text,
              "Sends the enter key to form when executed.\r\nWhen the cursor is over a button "
              "in a web form, this has the same effect as clicking on the button.\r\n\r\n"
              "Click to insert command in the clips and command list.");
    // One paragraph joined without a break, and the program's spelling kept.
    const QString stop = EditorHelp("Names(2)")->text;
    EXPECT_TRUE(stop.startsWith("If you have an auto log-in sequence but also need other clips "
                                "for the form, insert this command after the log-in sequence. "
                                "When you click the Auto-Insert button"));
    EXPECT_TRUE(stop.contains("This is most usefull where"));
    EXPECT_EQ(stop.count("\r\n\r\n"), 3);
    EXPECT_EQ(EditorHelp("Names(5)")->text.section("\r\n", 1, 1),
              "For option buttons, moves the selection left,");
    EXPECT_EQ(EditorHelp("PasswordTitle")->text,
              "If you enter a password here, it will be required to use or edit this.\r\n\r\n"
              "Leave blank for no password protection.");
    const QStringList url = EditorHelp("WebPageTitle")->text.split("\r\n");
    ASSERT_EQ(url.size(), 8);
    EXPECT_EQ(url[4], "HINT");
    EXPECT_TRUE(url[5].contains("click COPY. You can then paste it in"));
    EXPECT_EQ(url[7], "Leave blank to use text clips only.");
    const QStringList data = EditorHelp("data(0)")->text.split("\r\n");
    ASSERT_EQ(data.size(), 7);
    EXPECT_EQ(data[2], "Left click to enter text manually");
    EXPECT_EQ(data[3], "Right click to paste into or copy from.");
    EXPECT_EQ(data[4], "Drag to move position in list.");
    const QStringList test = EditorHelp("TestBtn")->text.split("\r\n");
    ASSERT_EQ(test.size(), 8);
    EXPECT_EQ(test[2], "If you have already entered the website URL above, the page will be "
                       "displayed for you automatically the first time you click test.(See Note)");
    EXPECT_EQ(test[6], "NOTE:");
    EXPECT_TRUE(test[7].startsWith("Only the first click on test loads the website."));
}
