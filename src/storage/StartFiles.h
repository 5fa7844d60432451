#pragma once
// The file steps of a start, apart from the windows that start-up builds around them.
#include <QSize>
#include <QString>

namespace kelpo {

struct Program;

// Takes `dataFolder` as the program folder, with library 1 as the current library.
void UseDataFolder(Program& program, const QString& dataFolder);

// After the settings were read: the current library's folder, the window places checked
// against a screen of `screen` twips, the names and the library names read.
void LoadLibraryFiles(Program& program, QSize screen, QSize mainWindow);

} // namespace kelpo
