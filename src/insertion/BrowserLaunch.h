#pragma once
#include <QString>
#include <QStringList>

namespace kelpo {

struct Program;

// Starts the default browser on CurrentUrl. True when a start is under way; false when
// there is no address, no browser service, or the browser refused it.
bool LaunchBrowser(Program& program);

// Opens the first help page ("tutorial/1.htm") in the browser, wherever FindHelpPage finds
// it. CurrentUrl stays as it is. A missing help page opens nothing.
void ShowHelpPage(Program& program);

// The folders that may hold the help pages, in the order they are tried: beside the
// program (a build tree or a portable copy), the data folder of an installation whose
// program is in "bin" ("../share/kelpo/tutorial"), then "kelpo/tutorial" under each
// of the system's data folders (`dataFolders`, most important first).
QStringList HelpPageFolders(const QString& programFolder, const QStringList& dataFolders);

// The address of the first "1.htm" in those folders as the browser takes it (file://,
// blanks and other characters encoded); empty when there is none.
QString FindHelpPage(const QString& programFolder, const QStringList& dataFolders);

} // namespace kelpo
