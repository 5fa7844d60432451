#pragma once
#include <QString>

namespace kelpo {

struct Program;

// Starts the default browser on CurrentUrl.
void LaunchBrowser(Program& program);

// Opens help page `page` of "tutorial" beside the program (the first, "1.htm", unless
// said) in the browser. CurrentUrl stays as it is. A missing help page opens nothing.
void ShowHelpPage(Program& program, const QString& page = QStringLiteral("1.htm"));

// Where the first help page lives: "tutorial/1.htm" in the program's own folder.
QString HelpPagePath();

// The address of the help page "tutorial/<page>" under `programFolder` as the browser
// takes it (file://, blanks and other characters encoded); empty when it is missing.
QString HelpPageAddress(const QString& programFolder,
                        const QString& page = QStringLiteral("1.htm"));

} // namespace kelpo
