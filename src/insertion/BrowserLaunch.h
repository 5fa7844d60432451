#pragma once
#include <QString>

namespace kelpo {

struct Program;

// Starts the default browser on CurrentUrl. True when a start is under way; false when
// there is no address, no browser service, or the browser refused it.
bool LaunchBrowser(Program& program);

// Opens the help pages ("tutorial/1.htm" beside the program) in the browser.
// CurrentUrl stays as it is. A missing help page opens nothing.
void ShowHelpPage(Program& program);

// Where the first help page lives: "tutorial/1.htm" in the program's own folder.
QString HelpPagePath();

// The address of the help page "tutorial/1.htm" under `programFolder` as the browser
// takes it (file://, blanks and other characters encoded); empty when it is missing.
QString HelpPageAddress(const QString& programFolder);

} // namespace kelpo
